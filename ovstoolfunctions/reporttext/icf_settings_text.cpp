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

// A second owner of a node.
Node Share(IXMLDOMNode* node) {
    Node copy;
    node->AddRef();
    *copy.put() = node;
    return copy;
}

const wchar_t* NameOf(const Element& element) {
    return element.name ? element.name.get() : L"";
}

// One walk through the whole document in document order. It finds the free texts and the modules
// (every element named exactly so, anywhere, as the parser's lookup by tag name gives them) and
// writes each module's block while passing through the module, so that no part of the document is
// walked twice: under Wine one lookup by tag name costs about a third of loading the document, a
// walk through all of it a tenth.
class SettingsWalker {
public:
    void Document(IXMLDOMNode* document) { CollectAll(ElementChildren(document)); }
    const std::vector<Node>& FreeTexts() const { return m_freeTexts; }
    const std::vector<CStringW>& ModuleBlocks() const { return m_moduleBlocks; }

private:
    // An element that is no part of a module's text: a free text or a module is taken, anything else
    // searched for them.
    void Collect(const Element& element) {
        if (std::wcscmp(NameOf(element), kModuleElement) == 0) {
            Module(element.node.get());
            return;
        }
        if (std::wcscmp(NameOf(element), kPreformattedElement) == 0) {
            m_freeTexts.push_back(Share(element.node.get()));
        }
        CollectAll(ElementChildren(element.node.get()));
    }

    void CollectAll(const std::vector<Element>& elements) {
        for (const Element& element : elements) {
            Collect(element);
        }
    }

    void Module(IXMLDOMNode* module) {
        const size_t place = m_moduleBlocks.size(); // before the modules inside this one
        m_moduleBlocks.emplace_back();
        CStringW block;
        TextWriter text(block);
        const std::vector<Element> children = ElementChildren(module);
        text.AppendChildText(children, kRoleName);
        text.Append(L" ");
        text.AppendOneBased(FirstNamed(children, kIndexWithinRole));
        text.Append(L" (");
        text.AppendChildText(children, kModuleType);
        text.Append(L") :");
        text.AppendChildText(children, kModuleDisplayName);
        text.EndLine();
        Content(children, 1, text);
        text.EndLine();
        m_moduleBlocks[place] = std::move(block);
    }

    void Content(const std::vector<Element>& elements, int level, TextWriter& text) {
        for (const Element& element : elements) {
            if (IsKind(NameOf(element), kSectionKind)) {
                Section(element, level, text);
            } else if (IsKind(NameOf(element), kTableKind)) {
                Table(element, level, text);
            } else if (IsKind(NameOf(element), kParameterKind)) {
                Parameter(element, level, true, text);
            } else {
                Collect(element);
            }
        }
    }

    void Section(const Element& section, int level, TextWriter& text) {
        const std::vector<Element> children = ElementChildren(section.node.get());
        const Element* name = FirstNamed(children, kName);
        if (name == nullptr) {
            CollectAll(children); // a section without a name is left out of the text with all it holds
            return;
        }
        text.Indent(level);
        text.Append(TextOf(name).get());
        text.EndLine();
        Content(children, level + 1, text);
    }

    // No line for the table itself: each row is headed by the table's name and its index.
    void Table(const Element& table, int level, TextWriter& text) {
        const std::vector<Element> children = ElementChildren(table.node.get());
        const unique_bstr tableName = TextOf(FirstNamed(children, kName));
        for (const Element& row : children) {
            if (!IsKind(NameOf(row), kRowKind)) {
                Collect(row);
                continue;
            }
            const std::vector<Element> cells = ElementChildren(row.node.get());
            text.Indent(level);
            text.Append(tableName.get());
            text.Append(L"[");
            text.AppendOneBased(FirstNamed(cells, kRowIndex));
            text.Append(L"]");
            text.EndLine();
            for (const Element& cell : cells) {
                if (IsKind(NameOf(cell), kParameterKind)) {
                    Parameter(cell, level + 1, false, text);
                } else {
                    Collect(cell);
                }
            }
        }
    }

    void Parameter(const Element& parameter, int level, bool withUnit, TextWriter& text) {
        const std::vector<Element> children = ElementChildren(parameter.node.get());
        text.Indent(level);
        text.AppendChildText(children, kName);
        text.Append(kParameterSeparator);
        text.AppendChildText(children, kValue);
        if (withUnit) {
            const unique_bstr unit = TextOf(FirstNamed(children, kUnit));
            if (unit && SysStringLen(unit.get()) > 0) {
                text.Append(L" ");
                text.Append(unit.get());
            }
        }
        text.EndLine();
        CollectAll(children);
    }

    std::vector<Node> m_freeTexts;
    std::vector<CStringW> m_moduleBlocks;
};

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
    SettingsWalker walker;
    walker.Document(document.get());
    TextWriter text(out);
    for (const Node& node : walker.FreeTexts()) {
        unique_bstr block;
        if (SUCCEEDED(node->get_text(block.put()))) {
            text.AppendPreformatted(block.get());
        }
        text.EndLine(); // also after a text that could not be read
    }
    // Several free texts make a report of their own: the modules are left out then.
    if (walker.FreeTexts().size() >= 2) {
        return out;
    }
    for (const CStringW& block : walker.ModuleBlocks()) {
        out += block;
    }
    return out;
}

} // namespace ovs::icf
