#pragma once

#include "archive/FileEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::archive {

// The member list of an archive: one item per member in file order, its string the member's
// name (single-byte characters, any byte values) and its object the member's own 37-byte
// record, owned by the list. Unsorted, so a name may occur more than once.
class TfilesList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& Strings(int index) const;
    const TFileEntry* Objects(int index) const;
    TFileEntry* Objects(int index);
    // The first item with exactly this name, or -1.
    int IndexOf(std::string_view name) const;

    // Adding a name without a record creates a numbered one, as AddObject does.
    int Add(std::string_view name) { return AddObject(name); }
    // Creates a record numbered one above the highest ID present, with NameLength and Flag 1.
    int AddObject(std::string_view name);
    // Stores the given record unchanged.
    int AddObject(std::string_view name, const TFileEntry& record);
    void Insert(int index, std::string_view name);
    void Put(int index, std::string_view name);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    void Reserve(std::size_t count) { FItems.reserve(count); }

    // Each record followed by its name, in list order.
    std::string GetTextStr() const;
    // Rebuilds the list from such a blob. A blob that ends inside a record or a name, or whose
    // record gives a negative name length, is refused and the list keeps its contents.
    void SetTextStr(std::string_view blob);

    std::int32_t GetEntryID(int index) const { return Objects(index)->ID(); }
    std::int64_t GetEntryOffset(int index) const { return Objects(index)->DataOffset(); }
    std::int64_t GetEntrySize(int index) const { return Objects(index)->DataSize(); }
    void SetEntryNameLength(int index, std::int32_t length) {
        Objects(index)->SetNameLength(length);
    }

private:
    struct Item {
        std::string name;
        TFileEntry entry;
    };

    const Item& At(int index) const;
    Item& At(int index);
    std::int32_t NextID() const;

    std::vector<Item> FItems;
};

} // namespace tallix::archive
