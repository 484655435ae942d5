#include "archive/FilesList.h"

#include "archive/ArchiveError.h"

#include <algorithm>
#include <utility>

namespace tallix::archive {

namespace {
std::int32_t byteLength(std::string_view name) {
    // Names come from the file (lengths already 32-bit) or from callers; a name too long for
    // the record cannot be described by it and is refused rather than stored with a wrong length.
    if (name.size() > static_cast<std::size_t>(INT32_MAX))
        throw EStringListError(static_cast<std::int64_t>(INT32_MAX));
    return static_cast<std::int32_t>(name.size());
}
} // namespace

const TfilesList::Item& TfilesList::At(int index) const {
    if (index < 0 || index >= Count())
        throw EStringListError(index);
    return FItems[static_cast<std::size_t>(index)];
}

TfilesList::Item& TfilesList::At(int index) {
    return const_cast<Item&>(std::as_const(*this).At(index));
}

const std::string& TfilesList::Strings(int index) const {
    return At(index).name;
}

const TFileEntry* TfilesList::Objects(int index) const {
    return &At(index).entry;
}

TFileEntry* TfilesList::Objects(int index) {
    return &At(index).entry;
}

int TfilesList::IndexOf(std::string_view name) const {
    auto found = std::find_if(FItems.begin(), FItems.end(),
                              [name](const Item& item) { return item.name == name; });
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

std::int32_t TfilesList::NextID() const {
    std::int32_t highest = 0;
    for (const Item& item : FItems)
        highest = std::max(highest, item.entry.ID());
    // A list already holding the highest possible ID wraps around instead of overflowing.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(highest) + 1u);
}

int TfilesList::AddObject(std::string_view name) {
    TFileEntry record;
    record.SetID(NextID());
    record.SetNameLength(byteLength(name));
    record.SetFlag(1);
    return AddObject(name, record);
}

int TfilesList::AddObject(std::string_view name, const TFileEntry& record) {
    FItems.push_back(Item{std::string(name), record});
    return Count() - 1;
}

void TfilesList::Insert(int index, std::string_view name) {
    if (index < 0 || index > Count())
        throw EStringListError(index);
    TFileEntry record;
    record.SetNameLength(byteLength(name));
    FItems.insert(FItems.begin() + index, Item{std::string(name), record});
}

void TfilesList::Put(int index, std::string_view name) {
    Item& item = At(index);
    item.entry.SetNameLength(byteLength(name));
    item.name = name;
}

void TfilesList::Delete(int index) {
    At(index);
    FItems.erase(FItems.begin() + index);
}

std::string TfilesList::GetTextStr() const {
    std::size_t length = 0;
    for (const Item& item : FItems)
        length += TFileEntry::kSize + item.name.size();
    std::string blob;
    blob.reserve(length);
    for (const Item& item : FItems) {
        blob.append(reinterpret_cast<const char*>(item.entry.bytes.data()), TFileEntry::kSize);
        blob.append(item.name);
    }
    return blob;
}

void TfilesList::SetTextStr(std::string_view blob) {
    TfilesList rebuilt;
    std::size_t position = 0;
    while (position < blob.size()) {
        if (blob.size() - position < TFileEntry::kSize)
            raiseArchiveError(ArchiveErrorKind::BlobCutShort);
        TFileEntry record;
        std::copy_n(blob.data() + position, TFileEntry::kSize, record.bytes.begin());
        position += TFileEntry::kSize;
        const std::int32_t nameLength = record.NameLength();
        if (nameLength < 0)
            raiseArchiveError(ArchiveErrorKind::BadNameLength, {"SetTextStr", nameLength});
        if (blob.size() - position < static_cast<std::size_t>(nameLength))
            raiseArchiveError(ArchiveErrorKind::BlobCutShort);
        rebuilt.AddObject(blob.substr(position, static_cast<std::size_t>(nameLength)), record);
        position += static_cast<std::size_t>(nameLength);
    }
    FItems.swap(rebuilt.FItems);
}

} // namespace tallix::archive
