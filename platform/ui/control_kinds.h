// What each kind of control means, in one table: the value it holds and how the program
// and the operator may change it, the attributes it takes, and how front ends show it
// (a caption beside it, a place in the tab order, never smaller than its contents).
// The ui services, the operator actions and every front end read these rows instead of
// deciding per kind themselves.
#pragma once

#include <string_view>

#include "platform/ui/model.h"

namespace platform {

// How a control's value is held and changed; one set of rules per form.
enum class ValueForm { None, ItemIndex, Boolean, Number, Text };

// What the operator's input on a control does.
enum class OperatorInput { None, SetValue, Press, Toggle };

struct KindRules {
    CtrlKind kind;
    const char *resourceName;  // the kind's name in the resource file
    ValueForm value;
    OperatorInput input;
    bool noCurrentItem;        // may have no current item (index -1)
    bool repeatActs;           // the same input twice acts twice (a click, not a choice)
    bool caption;              // the label stands beside the body as a caption
    bool growsToContent;       // never smaller than its contents
    bool inTabOrder;
    unsigned attributes;       // bit (1 << ATTR_*) per attribute it takes
};

const KindRules &RulesOf(CtrlKind kind);
// The row of the kind named so in the resource file; nullptr when there is none.
const KindRules *RulesByName(std::string_view resourceName);

// Whether the control takes the attribute (SetCtrlAttribute / GetCtrlAttribute).
bool TakesAttribute(const Control &c, int attribute);
// The value kept within the numeric range (when the range is set: min <= max).
int Clamped(const Control &c, int value);

// The program sets the value (SetCtrlVal): rings and list boxes take an item's value,
// numerics are clamped. 0 or a UIE_* code; nothing changes on failure.
int ProgramSetValue(Control &c, int value);
// The value GetCtrlVal returns: 0 or a UIE_* code.
int ReadValue(const Control &c, int *value);
// The operator sets the value: rings and list boxes take an index in range, numerics a
// value in range (nothing is clamped, a wrong input is refused). False: refused.
bool OperatorValueAccepted(Control &c, int value);
// Whether the operator's input of value is a change worth an action: a click always, a
// choice only when it differs from the current one.
bool InputActs(const Control &c, int value);

}  // namespace platform
