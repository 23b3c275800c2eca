// The "LWXPanel" toolkit of the stand-in host: keeps each panel the module
// builds (its tables, callbacks and instance) and lets a program list the
// controls with the values they show and enter new values, as a user would.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "plix/host/service_abi.h"
#include "plix/geometry.h"

namespace plix::standin {

// A control's four-character identifier as text ('vmin' is "vmin"), and back:
// none unless the text has four bytes.
std::string panelIdText(unsigned int id);
std::optional<unsigned int> panelIdFromText(std::string_view text);

// A value as a control shows it, by data type: "float" one double, "integer"
// one int, "float3" three doubles; monostate when there is none (the get
// callback gave a null address, or the data type is unknown).
using PanelValue = std::variant<std::monostate, double, int, geometry::Vec3>;

// One row of a control or data table, copied when the module handed it over.
struct PanelRow {
    unsigned int id = 0;
    std::string label; // control label or data name (empty for a null text)
    std::string type;  // control type or data type
};

struct PanelUserData {
    unsigned int id = 0;
    void *const *address = nullptr; // the address handed over (slot 9), kept
    void *valueAtCall = nullptr;    // what it held during the call
};

// One panel. Its handle is the address of this record.
struct PanelState {
    int kind = 0;
    const ControlRow *controlTable = nullptr; // as handed to create
    std::vector<PanelRow> controls;
    const DataRow *dataTable = nullptr;       // as handed to describe (null before)
    std::vector<PanelRow> data;
    XPanelGetFunc *get = nullptr;
    XPanelSetFunc *set = nullptr;
    void *instance = nullptr;                 // from slot 10; what get and set receive
    std::vector<std::pair<unsigned int, void *>> hints; // slot 7: (id, instance)
    std::vector<PanelUserData> userData;      // slot 9
};

// A control with the value it shows now.
struct PanelControl {
    unsigned int id = 0;
    std::string label;
    std::string controlType;
    std::string dataType; // empty when the data table has no row for the id
    PanelValue value;
};

class PanelToolkit {
public:
    // ---- what the service entries do ------------------------------------
    // Copies the control rows up to the all-zero row. Returns the new panel,
    // or null while told to fail.
    void *create(int kind, const ControlRow *controls);
    // Each returns false (and changes nothing) for an unknown panel.
    bool describe(void *panel, const DataRow *data, XPanelGetFunc *get, XPanelSetFunc *set);
    bool hint(void *panel, unsigned int id, void *instance);
    bool userData(void *panel, unsigned int id, void *const *address, void **valueAtCall);
    bool setInstance(void *panel, void *instance);

    // ---- for tests and the sandbox ----------------------------------------
    // While on, create returns null (a toolkit that cannot build the panel).
    void setCreateFails(bool fail) { createFails_ = fail; }

    const PanelState *find(const void *panel) const;
    std::vector<const PanelState *> panels() const; // in order of creation
    const PanelState *latest() const { return panels_.empty() ? nullptr : panels_.back().get(); }

    // The panel's controls in table order with the values they show, read
    // through the get callback with the panel's instance. Empty for an
    // unknown panel.
    std::vector<PanelControl> listControls(const void *panel) const;
    PanelValue readValue(const void *panel, unsigned int id) const;

    // Enters a value through the set callback, converted to the control's
    // data type (int <-> double; a double becomes an int by truncation,
    // saturated). Returns the callback's result, or nothing when no call was
    // made: unknown panel or id, no callback or instance yet, or a value that
    // does not fit the data type (float3 vs. a single number).
    std::optional<int> enterValue(const void *panel, unsigned int id, const PanelValue &value) const;

    void clear();

private:
    PanelState *lookup(const void *panel) const;
    const PanelRow *dataRow(const PanelState &state, unsigned int id) const;
    bool createFails_ = false;
    std::vector<std::unique_ptr<PanelState>> panels_;
    // Handles to records, so that a call on one panel takes the same time
    // however many panels there are.
    std::unordered_map<const void *, PanelState *> panelByHandle_;
};

} // namespace plix::standin
