#include "storage/EscapedField.h"

namespace veltrin {

void AppendEscapedField(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
}

std::string EscapedField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendEscapedField(out, text);
    return out;
}

bool UnescapedField(std::string_view field, std::string& text) {
    text.clear();
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            text += field[i];
            continue;
        }
        if (++i == field.size()) return false;
        const char c = field[i];
        if (c == 't')
            text += '\t';
        else if (c == 'n')
            text += '\n';
        else if (c == 'r')
            text += '\r';
        else if (c == '\\')
            text += '\\';
        else
            return false;
    }
    return true;
}

}  // namespace veltrin
