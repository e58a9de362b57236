// The control kinds' table and the value rules of each value form.
#include "platform/ui/control_kinds.h"

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

constexpr unsigned Bit(int attribute) { return 1u << attribute; }

// Every control has a place, a size, visibility, dimming and a label.
constexpr unsigned kCommon = Bit(ATTR_TOP) | Bit(ATTR_LEFT) | Bit(ATTR_HEIGHT) | Bit(ATTR_WIDTH) |
                             Bit(ATTR_VISIBLE) | Bit(ATTR_DIMMED) | Bit(ATTR_LABEL_TEXT);
constexpr unsigned kButton = kCommon | Bit(ATTR_CMD_BUTTON_COLOR);
constexpr unsigned kToggle = kCommon | Bit(ATTR_ON_COLOR) | Bit(ATTR_OFF_COLOR) |
                             Bit(ATTR_ON_TEXT) | Bit(ATTR_OFF_TEXT);
constexpr unsigned kNumeric = kCommon | Bit(ATTR_MIN_VALUE) | Bit(ATTR_MAX_VALUE);

using VF = ValueForm;
using OI = OperatorInput;

// kind, resource name, value, input, no current item, repeat acts, caption, grows, tab, attributes
constexpr KindRules kKinds[] = {
    {CtrlKind::Ring, "ring", VF::ItemIndex, OI::SetValue, false, false, true, false, true, kCommon},
    {CtrlKind::Checkbox, "checkbox", VF::Boolean, OI::SetValue, false, true, false, true, true, kCommon},
    {CtrlKind::CommandButton, "command_button", VF::None, OI::Press, false, true, false, false, true, kButton},
    {CtrlKind::ToggleButton, "toggle_button", VF::Boolean, OI::Toggle, false, true, true, false, true, kToggle},
    {CtrlKind::Numeric, "numeric", VF::Number, OI::SetValue, false, false, true, false, true, kNumeric},
    {CtrlKind::TextMessage, "text_message", VF::Text, OI::None, false, false, false, true, false, kCommon},
    {CtrlKind::Picture, "picture", VF::None, OI::None, false, false, false, false, false, kCommon},
    {CtrlKind::ListBox, "list_box", VF::ItemIndex, OI::SetValue, true, false, false, false, true, kCommon},
};

bool IndexInRange(const Control &c, int index)
{
    return index >= 0 && index < static_cast<int>(c.items.size());
}

bool RangeSet(const Control &c) { return c.minValue <= c.maxValue; }

}  // namespace

const KindRules &RulesOf(CtrlKind kind)
{
    for (const KindRules &rules : kKinds)
        if (rules.kind == kind) return rules;
    return kKinds[std::size(kKinds) - 1];  // unreachable: every kind has its row
}

const KindRules *RulesByName(std::string_view resourceName)
{
    for (const KindRules &rules : kKinds)
        if (resourceName == rules.resourceName) return &rules;
    return nullptr;
}

bool TakesAttribute(const Control &c, int attribute)
{
    return attribute > 0 && attribute < 32 && (RulesOf(c.kind).attributes & Bit(attribute)) != 0;
}

int Clamped(const Control &c, int value)
{
    if (RulesOf(c.kind).value != ValueForm::Number || !RangeSet(c)) return value;
    return std::clamp(value, c.minValue, c.maxValue);
}

int ProgramSetValue(Control &c, int value)
{
    switch (RulesOf(c.kind).value) {
    case ValueForm::ItemIndex: {
        auto it = std::find_if(c.items.begin(), c.items.end(),
                               [value](const ListItem &i) { return i.value == value; });
        if (it == c.items.end()) return UIE_BAD_VALUE;
        c.value = static_cast<int>(it - c.items.begin());
        return 0;
    }
    case ValueForm::Boolean: c.value = value != 0; return 0;
    case ValueForm::Number: c.value = Clamped(c, value); return 0;
    case ValueForm::None:
    case ValueForm::Text: break;
    }
    return UIE_BAD_CONTROL;
}

int ReadValue(const Control &c, int *value)
{
    switch (RulesOf(c.kind).value) {
    case ValueForm::ItemIndex:
        if (!IndexInRange(c, c.value)) return UIE_BAD_INDEX;
        *value = c.items[static_cast<size_t>(c.value)].value;
        return 0;
    case ValueForm::Boolean:
    case ValueForm::Number: *value = c.value; return 0;
    case ValueForm::None:
    case ValueForm::Text: break;
    }
    return UIE_BAD_CONTROL;
}

bool OperatorValueAccepted(Control &c, int value)
{
    switch (RulesOf(c.kind).value) {
    case ValueForm::ItemIndex:
        if (!IndexInRange(c, value)) return false;
        c.value = value;
        return true;
    case ValueForm::Boolean: c.value = value != 0; return true;
    case ValueForm::Number:
        if (RangeSet(c) && (value < c.minValue || value > c.maxValue)) return false;
        c.value = value;
        return true;
    case ValueForm::None:
    case ValueForm::Text: break;
    }
    return false;
}

bool InputActs(const Control &c, int value) { return RulesOf(c.kind).repeatActs || c.value != value; }

}  // namespace platform
