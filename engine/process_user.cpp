#include "engine/process_user.h"

#include "engine/handle_holder.h"

namespace pm {

bool readTokenUser(HANDLE process, std::vector<BYTE>& record) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return false;
    HandleHolder token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return false;
    record.assign(size, 0);
    return GetTokenInformation(token.get(), TokenUser, record.data(), size, &size) != FALSE;
}

}  // namespace pm
