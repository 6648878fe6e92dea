// Key/value texts: the player's identity and the settings of each post travel in this form.
//
// Format: entries separated by ';', each "key=value". Inside keys and values a backslash escapes
// the next character: "\;" ";", "\=" "=", "\\" "\", "\n" a line break; any other escaped
// character stands for itself. Keys are compared exactly (case and spaces count); the first entry
// with a key wins; an entry without '=' has an empty value. Any text can thus be a value:
//   UserId=42;level=1;family=7
//   Price=300;Desc=负责王国的外交事务\n每周主持一次国会;Conditions=等级 \= 20 以上
#pragma once

#include <utility>
#include <vector>

#include "OrnDanceChamberExport.h"
#include "text/CString.h"

// The value stored under `key` in `source`, unescaped; the empty text when the key is missing.
ODC_PROTOCOL_API CString GetValueFromUserExtraData(const CString& source, const CString& key);

// Writes entries in the format above, escaping what needs it; reading it back gives every value.
ODC_PROTOCOL_API CString MakeUserExtraData(const std::vector<std::pair<CString, CString>>& entries);
