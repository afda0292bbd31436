// The account a process runs as.
#pragma once

#include <windows.h>

#include <vector>

namespace pm {

// The TOKEN_USER record of a process's token; false when the token or its user cannot be read.
bool readTokenUser(HANDLE process, std::vector<BYTE>& record);

// The user's SID inside a record that readTokenUser filled.
inline PSID tokenUserSid(std::vector<BYTE>& record) { return reinterpret_cast<TOKEN_USER*>(record.data())->User.Sid; }

}  // namespace pm
