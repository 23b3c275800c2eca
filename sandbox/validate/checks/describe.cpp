// Describe gives the module's text from the instance's own buffer, the same
// text whatever the settings, the same buffer on every call.
#include <cstring>
#include <utility>

#include "checks/checks.h"
#include "module_session.h"

namespace plix::validate {

std::string checkDescribe(CheckContext &context) {
    static constexpr char expected[] = "PLIX! ver. 1.0";
    ModuleSession session(context.modulePath);
    void *first = session.createOn(1, 6);
    void *second = session.createOn(2, 0);
    session.load(second, {"PLIX_START", "V0Min 9.000000", "SpreadMax 12.000000", "PLIX_END"});
    for (const auto &[instance, points] : {std::pair{first, 6}, std::pair{second, 0}}) {
        const char *text = session.effect.describe(instance);
        expect(text != nullptr, "describe returned no text");
        expect(std::strncmp(text, expected, sizeof expected) == 0, "describe returned \"",
               std::string(text, strnlen(text, 128)), "\", expected \"", expected, "\"");
        session.frame(instance, 5, 30.0, points);
        expect(session.effect.describe(instance) == text, "describe returned another buffer on a later call");
    }
    session.effect.destroy(second);
    session.effect.destroy(first);
    return text("\"", expected, "\"");
}

} // namespace plix::validate
