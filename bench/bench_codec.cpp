// Open and save of whole data files: time (best of 3) and peak memory for
// synthetic documents of 1,000, 10,000 and 100,000 entries.
//
// Memory is measured in a fresh child process per size and operation, from
// the kernel's peak resident set (VmHWM), relative to the XML text size.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "SyntheticDocument.h"
#include "document/XmlDoc.h"
#include "storage/Container.h"
#include "storage/DataFile.h"
#include "storage/ModCrypto.h"
#include "support/Cp1252.h"

namespace {

using keymora::XmlDoc;

constexpr const char* kUser = "bench";
constexpr const char* kPassword = "Bench-Password-2024";

using keymora::bench::bestOf;
using keymora::bench::Timing;

// Current and peak resident set of this process, in bytes (from /proc).
long statusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t len = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, len, key) == 0) return std::atol(line.c_str() + len + 1);
    }
    return -1;
}

void resetPeak() {
    // "5" resets the peak resident set size to the current one (Linux >= 4.0).
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] auto n = ::write(fd, "5", 1);
        ::close(fd);
    }
}

// Child process: prints "<baseline kB> <peak kB> <after kB>" for one operation.
int childMain(const std::string& op, const std::string& path) {
    std::string bytes = keymora::datafile::ReadFileContents(path);
    if (op == "open") {
        // As a window opens a file: the bytes just read are handed over.
        resetPeak();
        const long base = statusKb("VmRSS:");
        auto doc = keymora::datafile::openDocument(path, std::move(bytes), kUser, kPassword);
        if (!doc) return 1;
        const long peak = statusKb("VmHWM:");
        const long after = statusKb("VmRSS:");
        std::printf("%ld %ld %ld\n", base, peak, after);
        return 0;
    }
    if (op == "save") {
        // Baseline before the document exists; the peak then covers the
        // document and the save together, after the open's peak is forgotten.
        const long base = statusKb("VmRSS:");
        auto doc = keymora::datafile::openDocument(path, bytes, kUser, kPassword);
        if (!doc) return 1;
        resetPeak();
        const std::string out = keymora::datafile::saveDocument(*doc, kUser, kPassword);
        const long peak = statusKb("VmHWM:");
        const long after = statusKb("VmRSS:");
        std::printf("%ld %ld %ld\n", base, peak, after);
        return out.empty() ? 1 : 0;
    }
    return 2;
}

struct MemoryFigures {
    long baseKb = -1, peakKb = -1, afterKb = -1;
};

MemoryFigures measureInChild(const char* self, const std::string& op, const std::string& path) {
    const std::string command = std::string("'") + self + "' --child " + op + " '" + path + "'";
    MemoryFigures m;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%ld %ld %ld", &m.baseKb, &m.peakKb, &m.afterKb) != 3) m = {};
        ::pclose(pipe);
    }
    return m;
}

double ratio(long kb, std::size_t xmlBytes) {
    return static_cast<double>(kb) * 1024.0 / static_cast<double>(xmlBytes);
}

// Where the time of the largest size goes, stage by stage.
void printStages(const std::string& path, const std::string& fileBytes, const XmlDoc& doc) {
    const std::string key = std::string(kUser) + kPassword;
    std::string payload, windows1252, utf8;
    XmlDoc parsed;
    const Timing tDecrypt = bestOf(3, [&] {
        payload = fileBytes;
        keymora::modCrypto::ApplyInPlace(payload, key);
    });
    const Timing tExpand = bestOf(3, [&] {
        windows1252 = *keymora::container::decodePayload(path, payload);
    });
    const Timing tToUtf8 = bestOf(3, [&] { utf8 = keymora::cp1252::toUtf8(windows1252); });
    const Timing tParse = bestOf(3, [&] {
        std::string copy = utf8;
        parsed.loadXmlInPlace(std::move(copy));
    });

    std::string text, bytes, compressed, encrypted;
    const Timing tSerialise = bestOf(3, [&] { text = doc.xml(); });
    const Timing tFromUtf8 = bestOf(3, [&] { bytes = keymora::cp1252::fromUtf8XmlText(text); });
    const Timing tCompress = bestOf(3, [&] { compressed = keymora::container::encodePayload(bytes); });
    const Timing tEncrypt = bestOf(3, [&] {
        encrypted = compressed;
        keymora::modCrypto::ApplyInPlace(encrypted, key);
    });

    std::printf("\nStages for the largest document (best of 3, CPU seconds / wall seconds):\n");
    std::printf("  open: decrypt %.3f/%.3f  expand %.3f/%.3f  to UTF-8 %.3f/%.3f  parse %.3f/%.3f\n",
                tDecrypt.cpu, tDecrypt.wall, tExpand.cpu, tExpand.wall, tToUtf8.cpu, tToUtf8.wall,
                tParse.cpu, tParse.wall);
    std::printf("  save: serialise %.3f/%.3f  to Windows-1252 %.3f/%.3f  compress %.3f/%.3f  "
                "encrypt %.3f/%.3f\n",
                tSerialise.cpu, tSerialise.wall, tFromUtf8.cpu, tFromUtf8.wall, tCompress.cpu,
                tCompress.wall, tEncrypt.cpu, tEncrypt.wall);
    std::printf("  (the copies made by this breakdown are not part of the pipeline)\n");
}

constexpr std::size_t kTargetEntries = 100000;
constexpr double kOpenTarget = 0.25;
constexpr double kSaveTarget = 0.35;
constexpr double kPeakTarget = 2.5;

struct Verdict {
    const char* what;
    double measured;
    double target;
    const char* unit;
};

void printVerdicts(const std::vector<Verdict>& verdicts) {
    if (verdicts.empty()) return;
    std::printf("\n%-34s %10s %10s  %s\n", "at 100,000 entries", "measured", "target", "verdict");
    for (const Verdict& v : verdicts) {
        std::printf("%-34s %10.3f %10.3f  %s %s\n", v.what, v.measured, v.target,
                    v.measured <= v.target ? "PASS" : "FAIL", v.unit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return childMain(argv[2], argv[3]);

    std::vector<std::size_t> sizes = {1000, 10000, 100000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    }

    char tmpl[] = "/tmp/keymora-bench-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder(tmpl);
    char self[4096] = {};
    const ssize_t selfLen = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (selfLen <= 0) return 1;

    std::printf("bench_codec: open = read bytes -> decrypt, expand, parse; "
                "save = serialise, compress, encrypt\n");
    std::printf("targets at 100,000 entries: open <= %.3f s, save <= %.3f s (CPU, best of 3), "
                "peak while open <= %.1f x XML size\n\n",
                kOpenTarget, kSaveTarget, kPeakTarget);
    std::printf("%9s %8s %8s %9s %9s %9s %9s %10s %10s %9s\n", "entries", "XML MB", "file MB",
                "open cpu", "open wall", "save cpu", "save wall", "open peak", "save peak",
                "doc held");

    std::vector<Verdict> verdicts;
    std::string lastPath, lastBytes;
    std::unique_ptr<XmlDoc> lastDoc;
    for (const std::size_t n : sizes) {
        std::string xml = keymora::bench::syntheticXml(n);
        const std::size_t xmlSize = xml.size();
        auto doc = std::make_unique<XmlDoc>();
        if (!doc->loadXml(xml)) {
            std::fprintf(stderr, "synthetic document did not parse\n");
            return 1;
        }
        xml.clear();
        xml.shrink_to_fit();

        std::string fileBytes;
        const Timing save = bestOf(3, [&] {
            fileBytes = keymora::datafile::saveDocument(*doc, kUser, kPassword);
        });
        const std::string path = (folder / ("bench-" + std::to_string(n) + ".kmf")).string();
        {
            std::ofstream out(path, std::ios::binary);
            out.write(fileBytes.data(), static_cast<std::streamsize>(fileBytes.size()));
        }
        bool ok = true;
        const Timing open = bestOf(3, [&] {
            ok = ok && keymora::datafile::openDocument(path, std::string(fileBytes), kUser,
                                                       kPassword) != nullptr;
        });
        if (!ok) {
            std::fprintf(stderr, "a saved document did not open again\n");
            return 1;
        }

        const MemoryFigures openMem = measureInChild(self, "open", path);
        // The open's baseline holds the file's bytes, which the open uses up.
        const double fileRatio = static_cast<double>(fileBytes.size()) / static_cast<double>(xmlSize);
        const MemoryFigures saveMem = measureInChild(self, "save", path);
        std::printf("%9zu %8.1f %8.1f %9.3f %9.3f %9.3f %9.3f %9.2fx %9.2fx %8.2fx\n", n,
                    static_cast<double>(xmlSize) / 1e6, static_cast<double>(fileBytes.size()) / 1e6,
                    open.cpu, open.wall, save.cpu, save.wall, ratio(openMem.peakKb - openMem.baseKb, xmlSize),
                    ratio(saveMem.peakKb - saveMem.baseKb, xmlSize),
                    ratio(openMem.afterKb - openMem.baseKb, xmlSize) + fileRatio);
        std::fflush(stdout);
        if (n == kTargetEntries) {
            verdicts.push_back({"open, CPU seconds", open.cpu, kOpenTarget, ""});
            verdicts.push_back({"save, CPU seconds", save.cpu, kSaveTarget, ""});
            verdicts.push_back({"peak memory while open", ratio(openMem.peakKb - openMem.baseKb, xmlSize),
                                kPeakTarget, "x XML"});
        }
        lastPath = path;
        lastBytes = std::move(fileBytes);
        lastDoc = std::move(doc);
    }
    std::printf("\npeak: highest resident memory during the operation less the process's size\n"
                "before the document existed (the file's bytes already read, as a window has\n"
                "them), as a multiple of the XML text size; doc held: what the opened document\n"
                "keeps afterwards.\n");
    if (lastDoc) printStages(lastPath, lastBytes, *lastDoc);
    printVerdicts(verdicts);

    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
