// The ICF settings document (instrument control settings as XML) as indented report text: free
// preformatted text first, then one block per instrument module with its sections, tables and
// parameters. Parsed by the platform's DOM component "Msxml2.DOMDocument.3.0".
#pragma once

#include <afxstr.h>
#include <oleauto.h>

namespace ovs::icf {

// The text of the document `xml` (CR LF line ends), or an empty text when the parser cannot be
// created (no COM on this thread, no component) or the document is not well-formed. A failing
// parser call throws _com_error with its status.
CStringW SettingsText(const BSTR xml);

} // namespace ovs::icf
