// Any bytes given as a CSV file must import or be refused with a reason, and
// what imports must be saved as a well-formed document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "document/CsvImport.h"
#include "document/NewDocumentTemplate.h"
#include "document/XmlChars.h"
#include "document/XmlDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace keymora;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    csvimport::CsvTable table;
    try {
        table = csvimport::ParseCsv(csvimport::DecodeText(bytes));
    } catch (const std::runtime_error&) {
        return 0;
    }
    const auto doc = BuildNewDocument();
    const csvimport::ImportResult result = csvimport::ImportRecords(*doc, table);
    if (!result.ok || result.count != table.records.size()) std::abort();
    const std::string written = doc->xml();
    if (xmlchars::firstForbidden(written)) std::abort();
    XmlDoc again;
    if (!again.loadXml(written)) std::abort();
    return 0;
}
