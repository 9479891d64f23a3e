// Figures for search over all seven fields, merging a large source and
// importing a large CSV file.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

#include "document/CsvImport.h"
#include "document/Merge.h"
#include "document/Search.h"
#include "document/XmlDoc.h"

using namespace keymora;

namespace {

// Processor time of this process: the figure that does not depend on what
// else the machine runs at the same time. Wall time is printed beside it.
struct Stopwatch {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
};

using Clock = Stopwatch;

struct Elapsed {
    double cpu;
    double wall;
};

Elapsed secondsSince(const Stopwatch& start) {
    return {static_cast<double>(std::clock() - start.cpu) / CLOCKS_PER_SEC,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start.wall).count()};
}

// categories x subcategories x entries per subcategory; ids carry a prefix
// so two documents do not share them.
std::string buildDocument(const std::string& prefix, int categories, int subcategories, int entries) {
    std::string xml = "<datafile version=\"1.5\" DateModified=\"1/1/2024 1:00:00 AM\" filetype=\"private\"><records>";
    int serial = 0;
    const auto id = [&]() {
        char buf[64];
        std::snprintf(buf, sizeof buf, "{%s%08X-0000-4000-8000-000000000000}", prefix.c_str(), serial++);
        return std::string(buf);
    };
    for (int c = 0; c < categories; ++c) {
        xml += "<category id=\"" + id() + "\" type=\"category\" value=\"Category " + std::to_string(c) + "\">";
        for (int s = 0; s < subcategories; ++s) {
            xml += "<subcategory id=\"" + id() + "\" type=\"subcategory\" value=\"Group " + std::to_string(s) + "\">";
            for (int e = 0; e < entries; ++e) {
                const std::string n = std::to_string(c) + "." + std::to_string(s) + "." + std::to_string(e);
                xml += "<record_detail id=\"" + id() + "\" type=\"entry\"><resource>Account " + n +
                       (e % 97 == 0 ? " Bank" : "") + "</resource><userid>user" + n +
                       "</userid><password>Pw!" + n + "xyz</password><notes>Some notes about account " + n +
                       "</notes><DateCreated>1/1/2024 1:00:00 AM</DateCreated><DateModified>1/1/2024 1:00:00 AM"
                       "</DateModified><URL>https://site" + n + ".example.com/login</URL></record_detail>";
            }
            xml += "</subcategory>";
        }
        xml += "</category>";
    }
    return xml + "</records></datafile>";
}

void benchSearch() {
    XmlDoc doc;
    doc.loadXml(buildDocument("A", 100, 10, 100));  // 100,000 entries
    std::vector<std::string> all(search::kFieldKeys.begin(), search::kFieldKeys.end());
    for (const char* text : {"bank", "account 5\\.5\\.", "zzz-nothing", "."}) {
        pugi::xml_document resultsDoc;
        pugi::xml_node results = resultsDoc.append_child("results");
        const Stopwatch start;
        const auto outcome = search::SearchNodes(doc, text, all, results);
        const Elapsed s = secondsSince(start);
        std::printf("search 100,000 entries, 7 fields, \"%s\": %.3f s cpu, %.3f s wall (%zu rows, %zu matches)\n",
                    text, s.cpu, s.wall,
                    outcome.rows.size(), outcome.matchCount);
    }
}

void benchMerge() {
    for (const int destCategories : {10, 100}) {
        XmlDoc dest, source;
        dest.loadXml(buildDocument("D", destCategories, 10, 100));
        // 10,000 entries: 20 categories, half of them named like the destination's.
        source.loadXml(buildDocument("S", 20, 10, 50));
        int n = 0;
        for (pugi::xml_node c : source.records().children("category"))
            if (n++ % 2 == 1) c.attribute("value").set_value(("New " + std::to_string(n)).c_str());
        const Stopwatch start;
        const auto outcome = merge::MergeSourceCategoryToDestination(source, dest);
        const Elapsed s = secondsSince(start);
        std::printf("merge 10,000-entry source into %d,000 entries: %.3f s cpu, %.3f s wall (ok %d, %zu entries in)\n",
                    destCategories, s.cpu, s.wall, outcome.ok ? 1 : 0, outcome.stats.entries);
    }
}

void benchImport() {
    std::string csv = "Account,Login Name,Password,Web Site,Comments\r\n";
    for (int i = 0; i < 10000; ++i)
        csv += "\"Account " + std::to_string(i) + ", main\",user" + std::to_string(i) + ",pw\"\"" +
               std::to_string(i) + ",https://site.example/" + std::to_string(i) + ",\"note\r\nline two\"\r\n";
    XmlDoc doc;
    doc.loadXml("<datafile version=\"1.5\" filetype=\"private\"><records/></datafile>");
    const Stopwatch start;
    const csvimport::CsvTable table = csvimport::ParseCsv(csvimport::DecodeText(csv));
    const Elapsed parsed = secondsSince(start);
    const auto result = csvimport::ImportRecords(doc, table);
    const Elapsed s = secondsSince(start);
    std::printf("import 10,000-row CSV: %.3f s cpu, %.3f s wall (parse %.3f s cpu, %zu records)\n", s.cpu,
                s.wall, parsed.cpu, result.count);
}

}  // namespace

int main() {
    benchSearch();
    benchMerge();
    benchImport();
    return 0;
}
