#pragma once
// The open-file tests' sample, a login that counts its questions, and a listener that records notices.
#include <string>
#include <vector>

#include "session/DocumentListener.h"
#include "session/DocumentSession.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {

inline std::string sampleXml(const char* filetype) {
    return docXml(catXml("{C1}", "Banking",
                         subXml("{S1}", "Cards") + fullEntryXml("{E1}", {"Mail", "alice", "s3cret", "", ""}) +
                             fullEntryXml("{E2}", {"Bank", "", "", "", ""})) +
                      catXml("{C2}", "Other"),
                  filetype);
}

// Answers the login with fixed credentials and counts how often it was asked.
struct Login {
    std::string user = "me";
    std::string password = "pw";
    int asked = 0;
    AskCredentials fn() {
        return [this](FileCredentials& c) {
            ++asked;
            c.userId.value() = user;
            c.password.value() = password;
            return true;
        };
    }
};

struct Recorder : DocumentListener {
    std::vector<std::string> heard;
    static std::string name(pugi::xml_node n) {
        if (!n) return "-";
        const char* id = n.attribute("id").value();
        return *id ? id : n.name();
    }
    void nodeInserted(pugi::xml_node n) override { heard.push_back("inserted " + name(n)); }
    void nodeAboutToBeRemoved(pugi::xml_node n) override {
        // The node must still be in place when this is heard.
        heard.push_back("removing " + name(n) + " from " + name(n.parent()));
    }
    void nodeRemoved(pugi::xml_node p) override { heard.push_back("removed from " + name(p)); }
    void nodeChanged(pugi::xml_node n) override { heard.push_back("changed " + name(n)); }
    void childrenAboutToBeReordered(pugi::xml_node p) override { heard.push_back("reordering " + name(p)); }
    void childrenReordered(pugi::xml_node p) override { heard.push_back("reordered " + name(p)); }
    void documentAboutToBeReset() override { heard.push_back("resetting"); }
    void documentReset() override { heard.push_back("reset"); }
    void documentEdited() override { heard.push_back("edited"); }
    void dirtyChanged(bool d) override { heard.push_back(d ? "dirty" : "clean"); }
    void fileStateChanged() override { heard.push_back("file state"); }
};

}  // namespace keymora::test
