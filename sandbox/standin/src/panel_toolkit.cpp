#include "plix/standin/panel_toolkit.h"

#include <cmath>
#include <limits>

namespace plix::standin {

std::string panelIdText(unsigned int id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) text.push_back(static_cast<char>((id >> shift) & 0xFF));
    return text;
}

std::optional<unsigned int> panelIdFromText(std::string_view text) {
    if (text.size() != 4) return std::nullopt;
    unsigned int id = 0;
    for (char c : text) id = (id << 8) | static_cast<unsigned char>(c);
    return id;
}
namespace {

// A table that never ends is cut here rather than read without end.
constexpr int maxRows = 256;

std::string textOf(const char *text) { return text ? std::string(text) : std::string(); }

// Rows up to the one whose three fields are all zero.
template <class Row, class Text>
std::vector<PanelRow> copyRows(const Row *rows, Text textField) {
    std::vector<PanelRow> copy;
    if (!rows) return copy;
    for (int i = 0; i < maxRows; ++i) {
        const Row &row = rows[i];
        const char *text = row.*textField;
        if (row.id == 0 && !text && !row.type) break;
        copy.push_back({row.id, textOf(text), textOf(row.type)});
    }
    return copy;
}

int saturatedInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

PanelValue interpret(const std::string &dataType, const void *address) {
    if (!address) return {};
    if (dataType == "float") return *static_cast<const double *>(address);
    if (dataType == "integer") return *static_cast<const int *>(address);
    if (dataType == "float3") {
        const auto *v = static_cast<const double *>(address);
        return geometry::Vec3{v[0], v[1], v[2]};
    }
    return {};
}

} // namespace

PanelState *PanelToolkit::lookup(const void *panel) const {
    const auto found = panelByHandle_.find(panel);
    return found == panelByHandle_.end() ? nullptr : found->second;
}

const PanelRow *PanelToolkit::dataRow(const PanelState &state, unsigned int id) const {
    for (const PanelRow &row : state.data)
        if (row.id == id) return &row;
    return nullptr;
}

void *PanelToolkit::create(int kind, const ControlRow *controls) {
    if (createFails_) return nullptr;
    auto state = std::make_unique<PanelState>();
    state->kind = kind;
    state->controlTable = controls;
    state->controls = copyRows(controls, &ControlRow::label);
    PanelState *handle = state.get();
    panels_.push_back(std::move(state));
    panelByHandle_[handle] = handle;
    return handle;
}

bool PanelToolkit::describe(void *panel, const DataRow *data, XPanelGetFunc *get, XPanelSetFunc *set) {
    PanelState *state = lookup(panel);
    if (!state) return false;
    state->dataTable = data;
    state->data = copyRows(data, &DataRow::name);
    state->get = get;
    state->set = set;
    return true;
}

bool PanelToolkit::hint(void *panel, unsigned int id, void *instance) {
    PanelState *state = lookup(panel);
    if (!state) return false;
    state->hints.emplace_back(id, instance);
    return true;
}

bool PanelToolkit::userData(void *panel, unsigned int id, void *const *address, void **valueAtCall) {
    PanelState *state = lookup(panel);
    if (!state) return false;
    void *value = address ? *address : nullptr;
    state->userData.push_back({id, address, value});
    if (valueAtCall) *valueAtCall = value;
    return true;
}

bool PanelToolkit::setInstance(void *panel, void *instance) {
    PanelState *state = lookup(panel);
    if (!state) return false;
    state->instance = instance;
    return true;
}

const PanelState *PanelToolkit::find(const void *panel) const { return lookup(panel); }

std::vector<const PanelState *> PanelToolkit::panels() const {
    std::vector<const PanelState *> list;
    for (const auto &state : panels_) list.push_back(state.get());
    return list;
}

PanelValue PanelToolkit::readValue(const void *panel, unsigned int id) const {
    const PanelState *state = lookup(panel);
    if (!state || !state->get || !state->instance) return {};
    const PanelRow *row = dataRow(*state, id);
    if (!row) return {};
    return interpret(row->type, state->get(state->instance, id));
}

std::vector<PanelControl> PanelToolkit::listControls(const void *panel) const {
    std::vector<PanelControl> list;
    const PanelState *state = lookup(panel);
    if (!state) return list;
    for (const PanelRow &control : state->controls) {
        const PanelRow *row = dataRow(*state, control.id);
        list.push_back({control.id, control.label, control.type, row ? row->type : std::string(),
                        readValue(panel, control.id)});
    }
    return list;
}

std::optional<int> PanelToolkit::enterValue(const void *panel, unsigned int id, const PanelValue &value) const {
    const PanelState *state = lookup(panel);
    if (!state || !state->set || !state->instance) return std::nullopt;
    const PanelRow *row = dataRow(*state, id);
    if (!row) return std::nullopt;
    if (row->type == "float") {
        double number;
        if (const double *d = std::get_if<double>(&value)) number = *d;
        else if (const int *i = std::get_if<int>(&value)) number = *i;
        else return std::nullopt;
        return state->set(state->instance, id, &number);
    }
    if (row->type == "integer") {
        int number;
        if (const int *i = std::get_if<int>(&value)) number = *i;
        else if (const double *d = std::get_if<double>(&value)) number = saturatedInt(*d);
        else return std::nullopt;
        return state->set(state->instance, id, &number);
    }
    if (row->type == "float3") {
        const geometry::Vec3 *v = std::get_if<geometry::Vec3>(&value);
        if (!v) return std::nullopt;
        double triple[3] = {v->x, v->y, v->z};
        return state->set(state->instance, id, triple);
    }
    return std::nullopt;
}

void PanelToolkit::clear() {
    panelByHandle_.clear();
    panels_.clear();
}

} // namespace plix::standin
