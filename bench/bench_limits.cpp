// Figures for hostile inputs: each must be refused or read in time and
// memory proportional to its size (long CSV fields and lines, binary and
// endless files, large settings files, deep nesting, deep merges).
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "document/CsvImport.h"
#include "document/Merge.h"
#include "document/XmlDoc.h"
#include "support/RegFile.h"

using namespace keymora;

namespace {

// Prints processor and wall seconds and the peak resident size so far.
void measure(const std::string& what, const std::function<std::string()>& run) {
    const auto wall = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    const std::string result = run();
    const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-52s %7.3f s cpu %7.3f s wall  peak %5ld MB  %s\n", what.c_str(), cpuSeconds,
                wallSeconds, usage.ru_maxrss / 1024, result.c_str());
}

std::string csvOutcome(const std::string& text) {
    try {
        return std::to_string(csvimport::ParseCsv(text).records.size()) + " records";
    } catch (const std::exception& e) {
        return std::string("refused: ") + e.what();
    }
}

std::string loadOutcome(const std::string& path) {
    std::string why;
    const auto table = csvimport::LoadCsvFile(path, &why);
    return table ? std::to_string(table->records.size()) + " records" : "refused: " + why;
}

void benchCsv() {
    const std::string header = "Account,Login Name,Password,Web Site,Comments\r\n";
    for (const std::size_t mb : {1, 2, 4, 10}) {
        const std::string csv = header + "a,b,\"" + std::string(mb << 20, 'p') + "\",d,e\r\n";
        measure("CSV, one field of " + std::to_string(mb) + " MB", [&] { return csvOutcome(csv); });
    }
    const std::string commas = header + std::string(10 << 20, ',') + "\r\n";
    measure("CSV, one line of 10 MB of commas", [&] { return csvOutcome(commas); });
    const std::string open = header + "a,\"b\r\n" + std::string(10 << 20, 'x');
    measure("CSV, a quote never closed, 10 MB", [&] { return csvOutcome(open); });
    measure("CSV file /dev/zero", [] { return loadOutcome("/dev/zero"); });
    const std::string fifo = "/tmp/keymora-bench-fifo-" + std::to_string(getpid());
    mkfifo(fifo.c_str(), 0600);
    measure("CSV file a named pipe", [&] { return loadOutcome(fifo); });
    unlink(fifo.c_str());
}

void benchSettings() {
    std::string many = std::string(regfile::kHeader) + "\n[Software\\Keymora\\options]\n";
    for (int i = 0; many.size() < regfile::kMaxFileSize - 32; ++i) many += "v" + std::to_string(i) + "=s:x\n";
    measure("settings, 1 MB of values in one key", [&] {
        return std::to_string(regfile::parse(many).data.findKey({"Software", "Keymora", "options"})->values.size()) +
               " values";
    });
    std::string deep = std::string(regfile::kHeader) + "\n[a";
    for (int i = 0; i < 100000; ++i) deep += "\\a";
    deep += "]\nx=s:1\n";
    measure("settings, key path of 100,000 parts", [&] {
        return std::to_string(regfile::parse(deep).badLines.size()) + " lines refused";
    });
}

void benchNesting() {
    std::string xml;
    for (int i = 0; i < 1000000; ++i) xml += "<a>";
    for (int i = 0; i < 1000000; ++i) xml += "</a>";
    measure("document nested 1,000,000 deep", [&] {
        XmlDoc doc;
        std::string why;
        return doc.loadXml(xml, &why) ? std::string("loaded") : "refused: " + why;
    });
    std::string doctype = "<!DOCTYPE d [<!ENTITY a \"" + std::string(1000, 'x') + "\">";
    for (int i = 0; i < 10; ++i) doctype += "<!ENTITY a" + std::to_string(i) + " \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">";
    doctype += "]><datafile>&a9;</datafile>";
    measure("document with an entity bomb", [&] {
        XmlDoc doc;
        std::string why;
        return doc.loadXml(doctype, &why) ? std::string("loaded") : "refused: " + why;
    });
}

void benchDeepMerge() {
    for (const int levels : {10000, 100000}) {
        XmlDoc dest, source;
        const char* base = "<datafile><records><category value=\"C\"><subcategory value=\"S\"/></category></records></datafile>";
        dest.loadXml(base);
        source.loadXml(base);
        for (XmlDoc* doc : {&dest, &source}) {
            pugi::xml_node n = doc->records().first_child().first_child();
            for (int i = 0; i < levels; ++i) {
                n = n.append_child("subcategory");
                n.append_attribute("value") = "s";
            }
            if (doc == &source) n.append_child("record_detail");
        }
        measure("merge, " + std::to_string(levels) + " matching nested sub-categories", [&] {
            const auto outcome = merge::MergeSourceCategoryToDestination(source, dest);
            return std::to_string(outcome.stats.subcategoriesMatched) + " matched, " +
                   (outcome.ok ? std::string("merged") : "refused: " + outcome.errorDescription);
        });
    }
}

}  // namespace

int main() {
    benchCsv();
    benchSettings();
    benchNesting();
    benchDeepMerge();
    return 0;
}
