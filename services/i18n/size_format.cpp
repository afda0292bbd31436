#include "services/i18n/size_format.h"

#include "services/i18n/translate.h"

#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

namespace pm {

std::wstring formatSize(std::uint64_t bytes) {
    // The unit is chosen from the count before rounding, so 1048575 bytes read "1024.0 KB".
    double scale = 1.0;
    int decimals = 0;
    const wchar_t* unit = L"Б";
    if (bytes >= 1073741824ULL) {
        scale = std::ldexp(1.0, -30);
        decimals = 2;
        unit = L"ГБ";
    } else if (bytes >= 1048576ULL) {
        scale = std::ldexp(1.0, -20);
        decimals = 1;
        unit = L"МБ";
    } else if (bytes >= 1024ULL) {
        scale = std::ldexp(1.0, -10);
        decimals = 1;
        unit = L"КБ";
    }
    std::wostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(decimals) << static_cast<double>(bytes) * scale;
    return out.str() + L" " + translateLiteral(unit);
}

}  // namespace pm
