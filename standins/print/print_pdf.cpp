// A PDF written by hand: one A4 page, the report's lines in Helvetica, an exact cross-reference table.
#include "print_outputs.h"

#include <cstdio>

namespace ovsprint {

namespace {

constexpr int kPageWidth = 595; // A4 in points
constexpr int kPageHeight = 842;
constexpr int kMargin = 56;
constexpr int kFontSize = 11;
constexpr int kLeading = 16;

// A PDF literal string: backslash, parentheses escaped; control bytes dropped.
std::string Literal(const std::string& text) {
    std::string out = "(";
    for (char c : text) {
        if (c == '\\' || c == '(' || c == ')') {
            out += '\\';
        }
        if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out + ")";
}

std::string PageContent(const std::vector<std::string>& lines) {
    std::string content = "BT\n/F1 " + std::to_string(kFontSize) + " Tf\n" + std::to_string(kLeading) +
                          " TL\n" + std::to_string(kMargin) + " " + std::to_string(kPageHeight - kMargin) +
                          " Td\n";
    for (const std::string& line : lines) {
        content += Literal(line) + " Tj T*\n";
    }
    return content + "ET\n";
}

} // namespace

bool WritePdf(const std::string& path, const std::vector<std::string>& lines) {
    const std::string content = PageContent(lines);
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(kPageWidth) + " " +
            std::to_string(kPageHeight) + "] /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    };
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < std::size(objects); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(pdf.data(), 1, pdf.size(), file) == pdf.size();
    return std::fclose(file) == 0 && written;
}

} // namespace ovsprint
