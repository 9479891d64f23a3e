// Tree operations on a large document: sorting one level, copying and moving
// a large category, indexing identifiers, building a new document.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "document/GenerateGuid.h"
#include "document/IdIndex.h"
#include "document/NewDocumentTemplate.h"
#include "document/TreeEditing.h"
#include "document/XmlDoc.h"

using namespace keymora;

namespace {

constexpr int kCategories = 10;
constexpr int kEntriesPerCategory = 10000;

std::string randomName(std::mt19937& rng) {
    static const char* words[] = {"Bank", "mail", "Shop", "forum", "Work", "bank", "Cloud", "game", "News", "shop"};
    std::uniform_int_distribution<int> word(0, 9);
    std::uniform_int_distribution<int> number(0, 999);
    return std::string(words[word(rng)]) + " " + std::to_string(number(rng));
}

std::string buildText(std::mt19937& rng) {
    std::string text = "<datafile version=\"1.5\" DateModified=\"1/2/2020 3:04:05 PM\" filetype=\"private\"><records>";
    for (int c = 0; c < kCategories; ++c) {
        text += "<category id=\"" + GenerateGUID() + "\" type=\"category\" value=\"Category " + std::to_string(c) + "\">";
        for (int e = 0; e < kEntriesPerCategory; ++e) {
            text += "<record_detail id=\"" + GenerateGUID() + "\" type=\"entry\"><resource>" + randomName(rng) +
                    "</resource><userid>user" + std::to_string(e) + "</userid><password>pw" + std::to_string(e) +
                    "</password><notes>some notes</notes><DateCreated>1/2/2020 3:04:05 PM</DateCreated>"
                    "<DateModified>1/2/2020 3:04:05 PM</DateModified><URL>https://example.org/</URL></record_detail>";
        }
        text += "</category>";
    }
    text += "</records></datafile>";
    return text;
}

double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall time, and CPU time of this process: on a busy machine the second is
// the fairer figure.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

template <typename F>
Timing seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuNow();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpuNow() - cpuStart};
}

std::string categoryId(const XmlDoc& doc, int index) {
    pugi::xml_node c = doc.records().first_child();
    for (int i = 0; i < index; ++i) c = c.next_sibling();
    return c.attribute("id").value();
}

bool report(const char* what, Timing t, double target) {
    const bool ok = target <= 0 || t.cpu <= target;
    std::printf("%-50s wall %7.4f s  cpu %7.4f s", what, t.wall, t.cpu);
    if (target > 0) std::printf("  (target %.2f s) %s", target, ok ? "ok" : "SLOW");
    std::printf("\n");
    return ok;
}

}  // namespace

int main() {
    std::mt19937 rng(12345);
    const std::string text = buildText(rng);
    XmlDoc doc;
    bool allOk = true;
    report("parse 100,000 entries", seconds([&] { doc.loadXml(text); }), 0);

    const std::string firstCat = categoryId(doc, 0);
    const std::string firstEntry = doc.nodeById(firstCat).first_child().attribute("id").value();
    EditResult r;
    allOk &= report("sort a level of 10,000 entries ascending", seconds([&] {
                        r = SortTreeLevel(doc, firstEntry, SortDirection::Ascending);
                    }), 0.1);
    if (!r.ok()) return 1;
    allOk &= report("sort the same level descending", seconds([&] {
                        r = SortTreeLevel(doc, firstEntry, SortDirection::Descending);
                    }), 0.1);
    allOk &= report("sort the sorted level again descending", seconds([&] {
                        r = SortTreeLevel(doc, firstEntry, SortDirection::Descending);
                    }), 0.1);

    const std::string secondCat = categoryId(doc, 1);
    const std::string lastCat = categoryId(doc, kCategories - 1);
    allOk &= report("copy a category of 10,000 entries", seconds([&] {
                        r = CopyMoveNode(doc, doc, Relation::After, secondCat, lastCat, TransferMode::Copy);
                    }), 0.2);
    if (!r.ok()) return 1;
    const std::string copyId = r.id;
    report("move a category of 10,000 entries (same doc)", seconds([&] {
               r = CopyMoveNode(doc, doc, Relation::Before, copyId, firstCat, TransferMode::Move);
           }), 0);

    XmlDoc other;
    other.loadXml("<datafile version=\"1.5\" filetype=\"private\"><records><category id=\"{T}\" type=\"category\" "
                  "value=\"Target\"/></records></datafile>");
    report("move a category of 10,000 entries to another doc", seconds([&] {
               r = CopyMoveNode(doc, other, Relation::After, copyId, "{T}", TransferMode::Move);
           }), 0);
    if (!r.ok()) return 1;

    IdIndex index;
    report("index identifiers of 100,000 entries", seconds([&] { index.build(doc); }), 0);
    std::printf("%-50s %zu\n", "identifiers indexed", index.size());
    report("10,000 identifiers generated", seconds([] {
               for (int i = 0; i < 10000; ++i) (void)GenerateGUID();
           }), 0);
    report("new document from the template", seconds([&] { auto d = BuildNewDocument(); }), 0);
    return allOk ? 0 : 2;
}
