// CString: the module's wide text, a sequence of UTF-16 code units (not necessarily valid UTF-16).
#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

#include "OrnDanceChamberExport.h"

class ODC_PROTOCOL_API CString {
public:
    CString() = default;
    CString(const char16_t* text) : m_units(text ? text : u"") {}  // NOLINT: literals convert implicitly
    CString(std::u16string text) : m_units(std::move(text)) {}     // NOLINT
    explicit CString(std::u16string_view text) : m_units(text) {}
    CString(const char16_t* units, std::size_t count) : m_units(units, count) {}

    // Text from UTF-8; malformed sequences become U+FFFD, one per maximal invalid subpart.
    static CString FromUtf8(std::string_view utf8);
    // The text as UTF-8; an unpaired surrogate becomes U+FFFD.
    std::string ToUtf8() const;

    std::size_t GetLength() const { return m_units.size(); }
    bool IsEmpty() const { return m_units.empty(); }
    // Zero-terminated code units, valid until the text changes.
    const char16_t* GetString() const { return m_units.c_str(); }
    const std::u16string& Units() const { return m_units; }
    std::u16string_view View() const { return m_units; }
    operator std::u16string_view() const { return m_units; }  // NOLINT: views convert implicitly
    char16_t operator[](std::size_t index) const { return m_units[index]; }

    // The first `count` code units (the whole text when it is shorter).
    CString Left(std::size_t count) const { return CString(m_units.substr(0, count)); }
    // The units before the first zero unit (the whole text when it holds none).
    CString UpToFirstZero() const { return CString(m_units.substr(0, m_units.find(u'\0'))); }

    // Replaces the text by `count` units that fill(char16_t* units) writes into the text's own
    // storage: no temporary text, and no allocation when the storage is large enough.
    template <class Fill>
    void Overwrite(std::size_t count, Fill fill) {
        m_units.resize(count);
        fill(m_units.data());
    }

    CString& operator+=(const CString& other) {
        m_units += other.m_units;
        return *this;
    }
    friend CString operator+(CString left, const CString& right) { return left += right; }

    friend bool operator==(const CString&, const CString&) = default;
    friend std::strong_ordering operator<=>(const CString&, const CString&) = default;

private:
    std::u16string m_units;
};

// UTF-8 <-> UTF-16 conversion for I/O, with the replacement rules of CString::FromUtf8 / ToUtf8.
ODC_PROTOCOL_API std::u16string Utf8ToUtf16(std::string_view utf8);
ODC_PROTOCOL_API std::string Utf16ToUtf8(std::u16string_view utf16);
