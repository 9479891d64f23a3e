// A second (and third) Keymora for tests that need other programs holding a
// data file: opens it through DocumentSession as the desktop program does and
// then follows one command per line on standard input, answering one line
// each on standard output.
//   usage: keymora_holder FILE USER PASSWORD
//   first line out: "open private|writer|reader|unlocked" or "refused <why>"
//   commands: add NAME | save | markshared | reload | categories | quit
#include <cstdio>
#include <iostream>
#include <string>

#include "document/NodeKind.h"
#include "session/DocumentSession.h"

using namespace keymora;

namespace {

const char* accessText(AccessMode access) {
    switch (access) {
    case AccessMode::Private: return "private";
    case AccessMode::SharedWriter: return "writer";
    case AccessMode::SharedReader: return "reader";
    case AccessMode::Unlocked: break;
    }
    return "unlocked";
}

const char* statusText(OpenStatus status) {
    switch (status) {
    case OpenStatus::Opened: return "opened";
    case OpenStatus::Cancelled: return "cancelled";
    case OpenStatus::Empty: return "empty";
    case OpenStatus::ReadFailed: return "read-failed";
    case OpenStatus::InUse: return "in-use";
    case OpenStatus::DecryptFailed: return "decrypt-failed";
    case OpenStatus::NeedsNewerProgram: return "needs-newer-program";
    }
    return "?";
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string categoryNames(DocumentSession& session) {
    std::string names;
    for (pugi::xml_node c = session.doc().records().first_child(); c; c = c.next_sibling())
        if (KindOf(c) == NodeKind::Category) names += std::string(names.empty() ? "" : ",") + c.attribute("value").value();
    return names;
}

std::string run(DocumentSession& session, const std::string& command, const std::string& arg) {
    if (command == "add") {
        const EditResult added = session.addCategory();
        if (!added.ok()) return "refused";
        session.rename(added.node, arg);
        return "added";
    }
    if (command == "save") return session.save().saved() ? "saved" : "not-saved";
    if (command == "markshared") {
        const SaveOutcome out = session.markShared();
        return out.saved() ? std::string("marked ") + accessText(session.access()) : "not-marked";
    }
    if (command == "reload") {
        const OpenOutcome out = session.reload();
        return std::string("reload ") + statusText(out.status) + " " + accessText(session.access());
    }
    if (command == "categories") return categoryNames(session);
    return "unknown";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: keymora_holder FILE USER PASSWORD\n");
        return 2;
    }
    const std::string user = argv[2], password = argv[3];
    OpenOutcome outcome = DocumentSession::open(argv[1], LockPolicy::ByFileType, [&](FileCredentials& c) {
        c.userId.value() = user;
        c.password.value() = password;
        return true;
    });
    if (!outcome.opened()) {
        say(std::string("refused ") + statusText(outcome.status));
        return 1;
    }
    DocumentSession& session = *outcome.session;
    say(std::string("open ") + accessText(session.access()));
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        const auto blank = line.find(' ');
        say(run(session, line.substr(0, blank), blank == std::string::npos ? "" : line.substr(blank + 1)));
    }
    session.close();
    say("closed");
    return 0;
}
