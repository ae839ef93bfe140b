#include "reporttext/icf_settings_text.h"
#include "unique_resource.h"

#include <comdef.h>
#include <msxml2.h>

#include <climits>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace ovs::icf {

namespace {

constexpr wchar_t kParserProgId[] = L"Msxml2.DOMDocument.3.0";
// MinGW's import library lacks this interface's identifier.
constexpr IID kXmlDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

constexpr wchar_t kPreformattedElement[] = L"PreformatedText";
constexpr wchar_t kModuleElement[] = L"ModuleSection";
constexpr wchar_t kIndexWithinRole[] = L"IndexWithinRole";
constexpr wchar_t kRoleName[] = L"RoleName";
constexpr wchar_t kModuleType[] = L"ModuleType";
constexpr wchar_t kModuleDisplayName[] = L"ModuleDisplayName";
constexpr wchar_t kName[] = L"Name";
constexpr wchar_t kValue[] = L"Value";
constexpr wchar_t kUnit[] = L"Unit";
constexpr wchar_t kRowIndex[] = L"RowIndex";
// Element kinds, compared with the upper-cased element name.
constexpr wchar_t kSectionKind[] = L"SECTION";
constexpr wchar_t kTableKind[] = L"TABLE";
constexpr wchar_t kRowKind[] = L"ROW";
constexpr wchar_t kParameterKind[] = L"PARAMETER";

constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr wchar_t kIndentUnit[] = L"    ";
constexpr wchar_t kParameterSeparator[] = L"\t: ";

using XmlDocument = com_ptr<IXMLDOMDocument2>;
using Node = com_ptr<IXMLDOMNode>;

void Check(HRESULT hr) {
    if (FAILED(hr)) {
        throw _com_error(hr);
    }
}

// Element names are matched in the "C" locale's upper case: only a to z change.
bool IsKind(const wchar_t* name, const wchar_t* upperKind) {
    for (; *name != L'\0' && *upperKind != L'\0'; ++name, ++upperKind) {
        const wchar_t upper =
            *name >= L'a' && *name <= L'z' ? static_cast<wchar_t>(*name - (L'a' - L'A')) : *name;
        if (upper != *upperKind) {
            return false;
        }
    }
    return *name == *upperKind;
}

struct Element {
    Node node;
    unique_bstr name;
};

// The element children of a node in document order; text, comments and the like are skipped.
std::vector<Element> ElementChildren(IXMLDOMNode* parent) {
    std::vector<Element> elements;
    Node node;
    Check(parent->get_firstChild(node.put())); // S_FALSE: no children
    while (node) {
        DOMNodeType type = NODE_INVALID;
        Check(node->get_nodeType(&type));
        Node next;
        Check(node->get_nextSibling(next.put()));
        if (type == NODE_ELEMENT) {
            Element element;
            Check(node->get_nodeName(element.name.put()));
            element.node = std::move(node);
            elements.push_back(std::move(element));
        }
        node = std::move(next);
    }
    return elements;
}

const Element* FirstNamed(const std::vector<Element>& elements, const wchar_t* name) {
    for (const Element& element : elements) {
        if (element.name && std::wcscmp(element.name.get(), name) == 0) {
            return &element;
        }
    }
    return nullptr;
}

unique_bstr TextOf(const Element* element) {
    unique_bstr text;
    if (element != nullptr) {
        Check(element->node->get_text(text.put()));
    }
    return text;
}

class TextWriter {
public:
    explicit TextWriter(CStringW& out) : m_out(out) {}

    void Append(BSTR text) {
        if (text != nullptr) {
            m_out.Append(text, static_cast<int>(SysStringLen(text)));
        }
    }
    void Append(const wchar_t* text) { m_out += text; }
    void AppendChildText(const std::vector<Element>& elements, const wchar_t* name) {
        Append(TextOf(FirstNamed(elements, name)).get());
    }
    void Indent(int level) {
        for (int i = 0; i < level; ++i) {
            m_out += kIndentUnit;
        }
    }
    void EndLine() { m_out += kLineEnd; }

    // CRs dropped, each LF written as CR LF.
    void AppendPreformatted(BSTR text) {
        const UINT length = text == nullptr ? 0 : SysStringLen(text);
        for (UINT i = 0; i < length; ++i) {
            if (text[i] == L'\n') {
                EndLine();
            } else if (text[i] != L'\r') {
                m_out.AppendChar(text[i]);
            }
        }
    }

    // A zero-based number in the document printed one-based: the leading decimal digits (after
    // blanks and a sign, as atoi reads them) plus one. A missing element prints nothing.
    void AppendOneBased(const Element* element) {
        if (element == nullptr) {
            return;
        }
        const unique_bstr text = TextOf(element);
        const wchar_t* p = text ? text.get() : L"";
        while (*p == L' ' || (*p >= L'\t' && *p <= L'\r')) {
            ++p;
        }
        const bool negative = *p == L'-';
        if (*p == L'-' || *p == L'+') {
            ++p;
        }
        long long value = 0;
        for (; *p >= L'0' && *p <= L'9'; ++p) {
            if (value <= INT_MAX) { // beyond that the number stays clamped, as the runtime's atoi does
                value = value * 10 + (*p - L'0');
            }
        }
        value = negative ? -value : value;
        value = value > INT_MAX ? INT_MAX : (value < INT_MIN ? INT_MIN : value);
        wchar_t digits[24];
        std::swprintf(digits, 24, L"%lld", value + 1);
        m_out += digits;
    }

private:
    CStringW& m_out;
};

class ModuleWriter {
public:
    explicit ModuleWriter(CStringW& out) : m_text(out) {}

    void Module(IXMLDOMNode* module) {
        const std::vector<Element> children = ElementChildren(module);
        m_text.AppendChildText(children, kRoleName);
        m_text.Append(L" ");
        m_text.AppendOneBased(FirstNamed(children, kIndexWithinRole));
        m_text.Append(L" (");
        m_text.AppendChildText(children, kModuleType);
        m_text.Append(L") :");
        m_text.AppendChildText(children, kModuleDisplayName);
        m_text.EndLine();
        Content(children, 1);
        m_text.EndLine();
    }

private:
    void Content(const std::vector<Element>& elements, int level) {
        for (const Element& element : elements) {
            const wchar_t* kind = element.name ? element.name.get() : L"";
            if (IsKind(kind, kSectionKind)) {
                Section(element.node.get(), level);
            } else if (IsKind(kind, kTableKind)) {
                Table(element.node.get(), level);
            } else if (IsKind(kind, kParameterKind)) {
                Parameter(ElementChildren(element.node.get()), level, true);
            }
        }
    }

    void Section(IXMLDOMNode* section, int level) {
        const std::vector<Element> children = ElementChildren(section);
        const Element* name = FirstNamed(children, kName);
        if (name == nullptr) {
            return; // a section without a name is left out with all it holds
        }
        m_text.Indent(level);
        m_text.Append(TextOf(name).get());
        m_text.EndLine();
        Content(children, level + 1);
    }

    // No line for the table itself: each row is headed by the table's name and its index.
    void Table(IXMLDOMNode* table, int level) {
        const std::vector<Element> children = ElementChildren(table);
        const unique_bstr tableName = TextOf(FirstNamed(children, kName));
        for (const Element& row : children) {
            if (!row.name || !IsKind(row.name.get(), kRowKind)) {
                continue;
            }
            const std::vector<Element> cells = ElementChildren(row.node.get());
            m_text.Indent(level);
            m_text.Append(tableName.get());
            m_text.Append(L"[");
            m_text.AppendOneBased(FirstNamed(cells, kRowIndex));
            m_text.Append(L"]");
            m_text.EndLine();
            for (const Element& cell : cells) {
                if (cell.name && IsKind(cell.name.get(), kParameterKind)) {
                    Parameter(ElementChildren(cell.node.get()), level + 1, false);
                }
            }
        }
    }

    void Parameter(const std::vector<Element>& children, int level, bool withUnit) {
        m_text.Indent(level);
        m_text.AppendChildText(children, kName);
        m_text.Append(kParameterSeparator);
        m_text.AppendChildText(children, kValue);
        if (withUnit) {
            const unique_bstr unit = TextOf(FirstNamed(children, kUnit));
            if (unit && SysStringLen(unit.get()) > 0) {
                m_text.Append(L" ");
                m_text.Append(unit.get());
            }
        }
        m_text.EndLine();
    }

    TextWriter m_text;
};

// The free texts and the modules: every element named exactly so, in document order, as the
// parser's lookup by tag name gives them. One walk finds both: under Wine each lookup by tag name
// costs about a third of loading the document, the walk a tenth.
struct TopElements {
    std::vector<Node> preformatted;
    std::vector<Node> modules;
};

void CollectTopElements(IXMLDOMNode* parent, TopElements& found) {
    Node node;
    Check(parent->get_firstChild(node.put()));
    while (node) {
        IXMLDOMNode* current = node.get();
        DOMNodeType type = NODE_INVALID;
        Check(current->get_nodeType(&type));
        if (type == NODE_ELEMENT) {
            unique_bstr name;
            Check(current->get_nodeName(name.put()));
            std::vector<Node>* list = std::wcscmp(name.get(), kPreformattedElement) == 0 ? &found.preformatted
                                      : std::wcscmp(name.get(), kModuleElement) == 0     ? &found.modules
                                                                                         : nullptr;
            if (list != nullptr) {
                list->push_back(std::move(node)); // before its content: document order
            }
            CollectTopElements(current, found);
        }
        Node next;
        Check(current->get_nextSibling(next.put()));
        node = std::move(next);
    }
}

// The parser with the document loaded; none when it cannot be made or the text is not well-formed.
XmlDocument LoadDocument(const BSTR xml) {
    CLSID parserClass;
    XmlDocument document;
    if (FAILED(CLSIDFromProgID(kParserProgId, &parserClass)) ||
        FAILED(CoCreateInstance(parserClass, nullptr, CLSCTX_INPROC_SERVER, kXmlDocument2,
                                document.put_void()))) {
        return {};
    }
    Check(document->put_async(VARIANT_FALSE));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Check(document->loadXML(xml, &loaded));
    if (loaded != VARIANT_TRUE) {
        return {};
    }
    return document;
}

} // namespace

CStringW SettingsText(const BSTR xml) {
    CStringW out;
    if (xml == nullptr || *xml == L'\0') {
        return out;
    }
    const XmlDocument document = LoadDocument(xml);
    if (!document) {
        return out;
    }
    TopElements found;
    CollectTopElements(document.get(), found);
    TextWriter text(out);
    for (const Node& node : found.preformatted) {
        unique_bstr block;
        if (SUCCEEDED(node->get_text(block.put()))) {
            text.AppendPreformatted(block.get());
        }
        text.EndLine(); // also after a text that could not be read
    }
    // Several free texts make a report of their own: the modules are left out then.
    if (found.preformatted.size() >= 2) {
        return out;
    }
    ModuleWriter writer(out);
    for (const Node& module : found.modules) {
        writer.Module(module.get());
    }
    return out;
}

} // namespace ovs::icf
