// The module file exports exactly one name: the module descriptor.
#include "checks/checks.h"
#include "exported_symbols.h"
#include "plix/host/plugin_abi.h"

namespace plix::validate {

std::string checkExports(CheckContext &context) {
    const ExportedSymbols exports = readExportedSymbols(context.modulePath);
    expect(exports.ok, exports.error);
    std::string others;
    bool descriptor = false;
    for (const std::string &name : exports.names) {
        if (name == PLIX_DESCRIPTOR_SYMBOL && !descriptor) {
            descriptor = true;
            continue;
        }
        others += (others.empty() ? "" : ", ") + name;
    }
    expect(descriptor, "the ", exports.format, " file does not export ", PLIX_DESCRIPTOR_SYMBOL);
    expect(others.empty(), "exports more than ", PLIX_DESCRIPTOR_SYMBOL, ": ", others);
    return text("only ", PLIX_DESCRIPTOR_SYMBOL, " (", exports.format, ")");
}

} // namespace plix::validate
