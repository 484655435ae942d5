#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace tallix {

// A string list in which every item also carries an integer. The integer belongs to its item:
// it moves with it when items are deleted, inserted or moved. A new item carries 0 unless a
// value is given.
class TiStringList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const QString& Strings(int index) const;
    // Replaces the text of an item; its integer stays.
    void SetStrings(int index, const QString& text);

    int Add(const QString& text);
    int AddInteger(const QString& text, int value);
    void Insert(int index, const QString& text);
    void Delete(int index);
    void Move(int currentIndex, int newIndex);
    void Clear() { FItems.clear(); }

    int GetInteger(int index) const;
    void SetInteger(int index, int value);

private:
    struct Item {
        QString text;
        int value = 0;
    };

    const Item& At(int index) const;
    Item& At(int index);

    std::vector<Item> FItems;
};

// Something a TxmlList node may own besides its children.
class TxmlAuxObject {
public:
    virtual ~TxmlAuxObject() = default;
};

// A named node in a tree of lists. A node owns its children: deleting or clearing a child
// destroys it. A root is named "data" and stores every name given to it in lower case; a child
// takes over its parent's lower-case setting and sits one level below it. Creating a child does
// not add it to its parent: whoever creates it adds it.
class TxmlList {
public:
    explicit TxmlList(TxmlList* parent);
    virtual ~TxmlList();
    TxmlList(const TxmlList&) = delete;
    TxmlList& operator=(const TxmlList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    TxmlList* Items(int index) const;
    int Add(std::unique_ptr<TxmlList> child);
    void Delete(int index);
    // Destroys all children and empties name and value; releases the auxiliary objects when
    // the first one is set.
    void Clear();

    TxmlList* Parent() const { return FParent; }
    const QString& Name() const { return FName; }
    void SetName(const QString& name);
    const QString& Value() const { return FValue; }
    void SetValue(const QString& value) { FValue = value; }
    const QString& Version() const { return FVersion; }
    int Level() const { return FLevel; }
    bool LowerCaseNames() const { return FLowerCaseNames; }
    // Applies to this node and all its descendants.
    void SetLowerCaseNames(bool lowerCase);

    TxmlAuxObject* AuxObject1() const { return FAuxObject1.get(); }
    TxmlAuxObject* AuxObject2() const { return FAuxObject2.get(); }
    void SetAuxObjects(std::unique_ptr<TxmlAuxObject> first, std::unique_ptr<TxmlAuxObject> second);

private:
    std::vector<std::unique_ptr<TxmlList>> FItems;
    TxmlList* FParent;
    std::unique_ptr<TxmlAuxObject> FAuxObject1;
    std::unique_ptr<TxmlAuxObject> FAuxObject2;
    QString FValue;
    QString FVersion;
    QString FName;
    bool FLowerCaseNames;
    int FLevel;
};

} // namespace tallix
