// The descriptor as the host reads it: sync word, version and machine, the
// startup result, and the server table with its two rows and closing row.
#include <cstdint>
#include <string_view>

#include "checks/checks.h"
#include "plix/host/plugin_abi.h"
#include "module_session.h"

namespace plix::validate {
namespace {

struct ExpectedServer {
    std::string_view className;
    bool interface;
};
constexpr ExpectedServer expectedServers[] = {{PLIX_CLASS_DISPLACEMENT_HANDLER, false},
                                              {PLIX_CLASS_DISPLACEMENT_INTERFACE, true}};

std::string_view textOr(const char *text) { return text ? std::string_view(text) : std::string_view("(null)"); }

} // namespace

std::string checkDescriptor(CheckContext &context) {
    ModuleSession session(context.modulePath, false); // fails on sync word, version, machine, table
    const standin::ModuleFile &module = session.module;
    const auto serverData = reinterpret_cast<std::uintptr_t>(module.serverData());
    expect(serverData == 4, "startup returned ", serverData, ", expected 4");

    const auto &rows = module.servers();
    expect(rows.size() == std::size(expectedServers), "the server table has ", rows.size(),
           " rows before its all-zero row, expected 2");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ServerRow &row = rows[i];
        const std::string_view className = textOr(row.className), name = textOr(row.name);
        expect(className == expectedServers[i].className, "server row ", i + 1, " has class \"", className,
               "\", expected \"", expectedServers[i].className, "\"");
        expect(name == PLIX_SERVER_NAME, "server row ", i + 1, " is named \"", name, "\", expected \"" PLIX_SERVER_NAME "\"");
        expect(row.activate != nullptr, "server row ", i + 1, " has no activation entry");
        expect(row.reserved == nullptr, "the fourth field of server row ", i + 1, " is not null");
    }
    session.module.close(); // calls shutdown
    return "sync word, version 3, machine 0x300, startup 4, two servers named PLIX!";
}

} // namespace plix::validate
