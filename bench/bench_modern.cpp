// Modern protection: the time of one key derivation (the defaults and a few
// neighbours, to choose the defaults by), open and save of a 10,000-entry
// modern file against a legacy one, and the save of an open document whose
// key is cached, which must cost at most 10% more than the legacy save.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "storage/ModernContainer.h"

namespace {

using namespace keymora;

using bench::bestOf;
using bench::Timing;

std::string entryXml(int i) {
    const std::string n = std::to_string(i);
    return "<record_detail id=\"{E" + n + "}\" type=\"entry\"><resource>Site " + n +
           " login</resource><userid>user" + n + "@example.com</userid><password>Pw-" + n +
           "-x9!Kq</password><notes>note for entry " + n +
           " with a few words</notes><DateCreated>1/2/2020 3:04:05 PM</DateCreated>"
           "<DateModified>1/2/2020 3:04:05 PM</DateModified><URL>https://www.site" + n +
           ".example.org/login</URL></record_detail>";
}

// Ten categories of ten sub-categories, the entries spread over them.
std::string documentXml(int entries) {
    std::string xml = "<?xml version=\"1.0\"?><datafile version=\"1.5\" filetype=\"private\"><records>";
    for (int c = 0; c < 10; ++c) {
        xml += "<category id=\"{C" + std::to_string(c) + "}\" type=\"category\" value=\"Category\">";
        for (int s = 0; s < 10; ++s) {
            xml += "<subcategory id=\"{S" + std::to_string(c * 10 + s) +
                   "}\" type=\"subcategory\" value=\"Sub\">";
            for (int e = (c * 10 + s); e < entries; e += 100) xml += entryXml(e);
            xml += "</subcategory>";
        }
        xml += "</category>";
    }
    return xml + "</records></datafile>";
}

void derivations() {
    std::printf("key derivation (Argon2id, one derivation, best of 3):\n");
    const std::vector<modern::Argon2Params> candidates = {
        {32768, 3, 1}, {65536, 2, 1}, modern::kDefaultParams, {131072, 2, 1}};
    for (const auto& p : candidates) {
        const Timing t = bestOf(3, [&] { (void)modern::FileKey::create("bench", "bench-password", p); });
        std::printf("  %-62s %6.3f s wall %6.3f s cpu%s\n", modern::describe(p).c_str(), t.wall, t.cpu,
                    p.memoryKiB == modern::kDefaultParams.memoryKiB &&
                            p.iterations == modern::kDefaultParams.iterations
                        ? "  <- default"
                        : "");
    }
}

void mustSave(const SaveOutcome& outcome) {
    if (outcome.saved()) return;
    std::fprintf(stderr, "save failed\n");
    std::exit(1);
}

std::unique_ptr<DocumentSession> sessionOf(const std::string& xml, Protection protection) {
    auto doc = std::make_unique<XmlDoc>();
    doc->loadXml(xml);
    FileCredentials c;
    c.userId.value() = "bench";
    c.password.value() = "bench-password";
    return DocumentSession::create(std::move(doc), std::move(c), false, protection);
}

void openAndSave(const std::string& folder) {
    const std::string xml = documentXml(10000);
    std::printf("10,000 entries, %zu bytes of XML:\n", xml.size());
    auto legacy = sessionOf(xml, Protection::Legacy);
    auto modern = sessionOf(xml, Protection::Modern);
    const std::string legacyPath = folder + "/bench-legacy.kmf";
    const std::string modernPath = folder + "/bench-modern.kmf";

    // Interleaved, so that a busy moment of the machine hits both alike.
    Timing legacySave, modernSave;
    for (int round = 0; round < 5; ++round) {
        const Timing l = bestOf(1, [&] { mustSave(legacy->saveAs(legacyPath)); });
        const Timing m = bestOf(1, [&] { mustSave(modern->saveAs(modernPath)); });
        legacySave.wall = std::min(legacySave.wall, l.wall);
        legacySave.cpu = std::min(legacySave.cpu, l.cpu);
        modernSave.wall = std::min(modernSave.wall, m.wall);
        modernSave.cpu = std::min(modernSave.cpu, m.cpu);
    }
    const auto ask = [](FileCredentials& c) {
        c.userId.value() = "bench";
        c.password.value() = "bench-password";
        return true;
    };
    legacy.reset();
    modern.reset();
    const auto open = [&](const std::string& path) {
        if (!DocumentSession::open(path, LockPolicy::None, ask).opened()) {
            std::fprintf(stderr, "%s did not open\n", path.c_str());
            std::exit(1);
        }
    };
    const Timing legacyOpen = bestOf(3, [&] { open(legacyPath); });
    const Timing modernOpen = bestOf(3, [&] { open(modernPath); });
    std::printf("  open legacy  %6.3f s wall %6.3f s cpu\n", legacyOpen.wall, legacyOpen.cpu);
    std::printf("  open modern  %6.3f s wall %6.3f s cpu (one key derivation included)\n",
                modernOpen.wall, modernOpen.cpu);
    std::printf("  save legacy  %6.3f s wall %6.3f s cpu\n", legacySave.wall, legacySave.cpu);
    std::printf("  save modern  %6.3f s wall %6.3f s cpu (key cached)\n", modernSave.wall, modernSave.cpu);
    const double overCpu = modernSave.cpu / legacySave.cpu - 1.0;
    std::printf("  modern save over legacy save: %+.1f%% cpu, %+.1f%% wall (limit +10%%): %s\n",
                overCpu * 100, (modernSave.wall / legacySave.wall - 1.0) * 100,
                overCpu <= 0.10 ? "PASS" : "FAIL");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    derivations();
    openAndSave(folder);
    return 0;
}
