#include "env/FuncListWork.h"

#include <stdexcept>
#include <utility>

namespace tallix {

namespace {

void checkIndex(int index, std::size_t count) {
    if (index < 0 || static_cast<std::size_t>(index) >= count)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

const TiStringList::Item& TiStringList::At(int index) const {
    checkIndex(index, FItems.size());
    return FItems[static_cast<std::size_t>(index)];
}

TiStringList::Item& TiStringList::At(int index) {
    checkIndex(index, FItems.size());
    return FItems[static_cast<std::size_t>(index)];
}

const QString& TiStringList::Strings(int index) const {
    return At(index).text;
}

void TiStringList::SetStrings(int index, const QString& text) {
    At(index).text = text;
}

int TiStringList::Add(const QString& text) {
    FItems.push_back(Item{text, 0});
    return Count() - 1;
}

int TiStringList::AddInteger(const QString& text, int value) {
    const int index = Add(text);
    SetInteger(index, value);
    return index;
}

void TiStringList::Insert(int index, const QString& text) {
    if (index != Count())
        checkIndex(index, FItems.size());
    FItems.insert(FItems.begin() + index, Item{text, 0});
}

void TiStringList::Delete(int index) {
    checkIndex(index, FItems.size());
    FItems.erase(FItems.begin() + index);
}

void TiStringList::Move(int currentIndex, int newIndex) {
    checkIndex(currentIndex, FItems.size());
    checkIndex(newIndex, FItems.size());
    Item moving = std::move(FItems[static_cast<std::size_t>(currentIndex)]);
    FItems.erase(FItems.begin() + currentIndex);
    FItems.insert(FItems.begin() + newIndex, std::move(moving));
}

int TiStringList::GetInteger(int index) const {
    return At(index).value;
}

void TiStringList::SetInteger(int index, int value) {
    At(index).value = value;
}

TxmlList::TxmlList(TxmlList* parent)
    : FParent(parent), FVersion(QStringLiteral("1.0")),
      FLowerCaseNames(parent ? parent->FLowerCaseNames : true),
      FLevel(parent ? parent->FLevel + 1 : 0) {
    if (!parent)
        FName = QStringLiteral("data");
}

TxmlList::~TxmlList() {
    Clear();
}

TxmlList* TxmlList::Items(int index) const {
    checkIndex(index, FItems.size());
    return FItems[static_cast<std::size_t>(index)].get();
}

int TxmlList::Add(std::unique_ptr<TxmlList> child) {
    FItems.push_back(std::move(child));
    return Count() - 1;
}

void TxmlList::Delete(int index) {
    checkIndex(index, FItems.size());
    FItems.erase(FItems.begin() + index);
}

void TxmlList::Clear() {
    FItems.clear();
    FName.clear();
    FValue.clear();
    if (FAuxObject1) {
        FAuxObject1.reset();
        FAuxObject2.reset();
    }
}

void TxmlList::SetName(const QString& name) {
    FName = FLowerCaseNames ? name.toLower() : name;
}

void TxmlList::SetLowerCaseNames(bool lowerCase) {
    FLowerCaseNames = lowerCase;
    for (const std::unique_ptr<TxmlList>& child : FItems)
        child->SetLowerCaseNames(lowerCase);
}

void TxmlList::SetAuxObjects(std::unique_ptr<TxmlAuxObject> first,
                             std::unique_ptr<TxmlAuxObject> second) {
    FAuxObject1 = std::move(first);
    FAuxObject2 = std::move(second);
}

} // namespace tallix
