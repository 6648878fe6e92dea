#include "param/UserExtraData.h"

#include <string>

namespace {

struct Entry {
    std::u16string key;
    std::u16string value;
};

// Reads entries one by one; `visit` returns true to stop.
template <class Visit>
void ForEachEntry(std::u16string_view source, Visit visit) {
    Entry entry;
    bool inValue = false;
    for (std::size_t i = 0; i <= source.size(); ++i) {
        if (i == source.size() || source[i] == u';') {
            if (visit(entry)) {
                return;
            }
            entry = {};
            inValue = false;
            continue;
        }
        char16_t c = source[i];
        if (c == u'\\' && i + 1 < source.size()) {
            c = source[++i];
            if (c == u'n') {
                c = u'\n';
            }
        } else if (c == u'=' && !inValue) {
            inValue = true;
            continue;
        }
        (inValue ? entry.value : entry.key).push_back(c);
    }
}

void AppendEscaped(std::u16string& out, std::u16string_view text) {
    for (const char16_t c : text) {
        switch (c) {
            case u'\\':
            case u';':
            case u'=':
                out.push_back(u'\\');
                out.push_back(c);
                break;
            case u'\n':
                out += u"\\n";
                break;
            default:
                out.push_back(c);
        }
    }
}

}  // namespace

CString GetValueFromUserExtraData(const CString& source, const CString& key) {
    CString found;
    ForEachEntry(source.View(), [&](const Entry& entry) {
        if (entry.key != key.View()) {
            return false;
        }
        found = CString(entry.value);
        return true;
    });
    return found;
}

CString MakeUserExtraData(const std::vector<std::pair<CString, CString>>& entries) {
    std::u16string out;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) {
            out.push_back(u';');
        }
        AppendEscaped(out, entries[i].first.View());
        out.push_back(u'=');
        AppendEscaped(out, entries[i].second.View());
    }
    return CString(std::move(out));
}
