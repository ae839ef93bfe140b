#include "ovstoolseparators.h"
#include "module_state.h"

CString Tool_GetStringDecimalPoint() {
    return CString(ovs::Module().decimalPoint);
}

CString Tool_GetStringThousandsSep() {
    return CString(ovs::Module().thousandsSeparator);
}
