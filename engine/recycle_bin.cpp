#include "engine/recycle_bin.h"

#include "engine/com_holder.h"
#include "engine/recycle_bin_internal.h"

#include <windows.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <array>
#include <memory>
#include <string>
#include <utility>

namespace pm {

namespace {

static_assert(sizeof(SHQUERYRBINFO) == 24, "SHQUERYRBINFO is 24 bytes on x86-64");

constexpr ULONG kItemsPerFetch = 256;
constexpr UINT kMaxColumns = 64;

// The Recycle Bin folder's details of one item: where it came from, when it was deleted, its size.
const std::array<SHCOLUMNID, 3> kDetails = {{
    {PSGUID_DISPLACED, PID_DISPLACED_FROM},
    {PSGUID_DISPLACED, PID_DISPLACED_DATE},
    {{0xb725f130, 0x47ef, 0x101a, {0xa5, 0xf1, 0x02, 0x60, 0x8c, 0x9e, 0xeb, 0xac}}, 12},  // FMTID_Storage, PID_STG_SIZE
}};

// FNV-1a over every byte given, with the length before each field so that fields cannot run into each other.
class ItemHash {
public:
    void add(const void* bytes, std::size_t size) {
        mix(&size, sizeof(size));
        mix(bytes, size);
    }
    void add(const std::wstring& text) { add(text.data(), text.size() * sizeof(wchar_t)); }
    // splitmix64's finaliser: item hashes are summed, so each must look random on its own.
    std::uint64_t value() const {
        std::uint64_t z = hash_ + 0x9e3779b97f4a7c15ULL;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

private:
    void mix(const void* bytes, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(bytes);
        for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * 0x100000001b3ULL;
    }
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// An item ID list the enumeration handed over, or a text a STRRET gave, freed with CoTaskMemFree.
struct TaskMemFree {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};
using ChildId = std::unique_ptr<ITEMID_CHILD, TaskMemFree>;

std::function<void(std::uint64_t)>& fingerprintWalkHook() {
    static std::function<void(std::uint64_t)> hook;
    return hook;
}

// A STRRET as text; empty when it cannot be converted. StrRetToStrW frees what the STRRET owned; the copy it
// hands back is freed here also when making the string throws.
std::wstring strRetText(STRRET& value, PCUITEMID_CHILD item) {
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&value, item, &text)) || text == nullptr) return std::wstring();
    std::unique_ptr<wchar_t, TaskMemFree> owned(text);
    return std::wstring(owned.get());
}

class RecycleBinFolder {
public:
    bool open() {
        ComHolder<IShellItem> bin;
        if (FAILED(SHGetKnownFolderItem(FOLDERID_RecycleBinFolder, KF_FLAG_DEFAULT, nullptr, IID_IShellItem,
                                        bin.putVoid())) ||
            !bin)
            return false;
        if (FAILED(bin->BindToHandler(nullptr, BHID_SFObject, IID_IShellFolder2, folder_.putVoid())) || !folder_)
            return false;
        // The columns that show the same details, for a folder whose GetDetailsEx answers nothing.
        columns_.fill(kMaxColumns);
        for (UINT column = 0; column < kMaxColumns; ++column) {
            SHCOLUMNID id{};
            if (FAILED(folder_->MapColumnToSCID(column, &id))) break;
            for (std::size_t i = 0; i < kDetails.size(); ++i)
                if (columns_[i] == kMaxColumns && IsEqualGUID(id.fmtid, kDetails[i].fmtid) && id.pid == kDetails[i].pid)
                    columns_[i] = column;
        }
        return true;
    }

    // Walks every item: Unreadable as soon as one cannot be read or the enumeration fails, Empty when the
    // folder lists no item at all.
    RecycleBinReading fingerprint(std::uint64_t& sum) {
        ComHolder<IEnumIDList> items;
        HRESULT hr = folder_->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                          items.put());
        if (hr == S_FALSE && !items) return RecycleBinReading::Empty;  // a folder may answer so when it has none
        if (FAILED(hr) || !items) return RecycleBinReading::Unreadable;
        std::uint64_t count = 0;
        std::array<PITEMID_CHILD, kItemsPerFetch> batch{};
        std::array<ChildId, kItemsPerFetch> owned;
        for (;;) {
            ULONG fetched = 0;
            hr = items->Next(kItemsPerFetch, batch.data(), &fetched);
            if (FAILED(hr) || fetched > kItemsPerFetch || (hr == S_OK && fetched == 0))
                return RecycleBinReading::Unreadable;
            for (ULONG i = 0; i < fetched; ++i) owned[i].reset(batch[i]);
            for (ULONG i = 0; i < fetched; ++i) {
                if (!addItem(owned[i].get(), sum)) return RecycleBinReading::Unreadable;
                if (fingerprintWalkHook()) fingerprintWalkHook()(count + i + 1);
            }
            count += fetched;
            if (hr != S_OK)  // S_FALSE: the last batch
                return count != 0 ? RecycleBinReading::Read : RecycleBinReading::Empty;
        }
    }

private:
    bool addItem(PCUITEMID_CHILD item, std::uint64_t& sum) {
        ItemHash hash;
        STRRET name{};
        if (FAILED(folder_->GetDisplayNameOf(item, SHGDN_FORPARSING, &name))) return false;
        std::wstring own = strRetText(name, item);
        if (own.empty()) return false;
        hash.add(own);
        for (std::size_t i = 0; i < kDetails.size(); ++i)
            if (!addDetail(item, i, hash)) return false;
        sum += hash.value();
        return true;
    }

    // The exact value when the folder gives one, else the text its column shows. An item whose detail is
    // missing or empty cannot be told from another: the whole bin then counts as unreadable.
    bool addDetail(PCUITEMID_CHILD item, std::size_t detail, ItemHash& hash) {
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(folder_->GetDetailsEx(item, &kDetails[detail], &value)) && value.vt != VT_EMPTY &&
            value.vt != VT_NULL) {
            const void* bytes = nullptr;
            std::size_t size = 0;
            const bool usable = detailValueBytes(value, bytes, size);
            if (usable) {
                hash.add(&value.vt, sizeof(value.vt));
                hash.add(bytes, size);
            }
            VariantClear(&value);
            return usable;
        }
        VariantClear(&value);
        // Wine 8's Recycle Bin folder answers GetDetailsEx with E_NOTIMPL; its columns show the original
        // folder, the deletion time to the minute and the size rounded to kilobytes.
        if (columns_[detail] == kMaxColumns) return false;
        SHELLDETAILS shown{};
        if (FAILED(folder_->GetDetailsOf(item, columns_[detail], &shown))) return false;
        std::wstring text = strRetText(shown.str, item);
        if (text.empty()) return false;
        hash.add(text);
        return true;
    }

    ComHolder<IShellFolder2> folder_;
    std::array<UINT, kDetails.size()> columns_{};
};

}  // namespace

bool detailValueBytes(const VARIANT& value, const void*& bytes, std::size_t& size) {
    switch (value.vt) {
        case VT_BSTR:
            bytes = value.bstrVal;
            size = value.bstrVal != nullptr ? SysStringLen(value.bstrVal) * sizeof(wchar_t) : 0;
            return size != 0;
        case VT_I4:
        case VT_UI4:
            bytes = &value.ulVal;
            size = sizeof(value.ulVal);
            return true;
        case VT_I8:
        case VT_UI8:
        case VT_DATE:
        case VT_FILETIME:  // a FILETIME in a VARIANT takes the same eight bytes as a 64-bit value
            static_assert(sizeof(value.ullVal) == sizeof(FILETIME) && sizeof(value.date) == sizeof(value.ullVal));
            bytes = &value.ullVal;
            size = sizeof(value.ullVal);
            return true;
        default:
            return false;
    }
}

void setFingerprintWalkHook(std::function<void(std::uint64_t itemsRead)> hook) {
    fingerprintWalkHook() = std::move(hook);
}

bool queryRecycleBinTotals(RecycleBinTotals& totals) {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(SHQueryRecycleBinW(nullptr, &info)) || info.i64Size < 0 || info.i64NumItems < 0) return false;
    totals.bytes = info.i64Size;
    totals.items = info.i64NumItems;
    return true;
}

RecycleBinReading readRecycleBinFingerprint(std::uint64_t& fingerprint) {
    ComApartment apartment;
    if (!apartment.usable()) return RecycleBinReading::Unreadable;
    std::uint64_t sum = 0;
    RecycleBinReading reading = RecycleBinReading::Unreadable;
    {
        RecycleBinFolder bin;  // released before the apartment is left
        if (bin.open()) reading = bin.fingerprint(sum);
    }
    if (reading == RecycleBinReading::Read) fingerprint = sum;
    return reading;
}

}  // namespace pm
