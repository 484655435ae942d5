#include "env/FuncListWork.h"

#include <stdexcept>

#include <gtest/gtest.h>

using namespace tallix;

namespace {

TEST(TiStringList, AddIntegerReturnsTheIndexAndKeepsTheValue) {
    TiStringList list;
    EXPECT_EQ(list.AddInteger("12", 60005), 0);
    EXPECT_EQ(list.GetInteger(0), 60005);
    EXPECT_EQ(list.Strings(0), QString("12"));
    EXPECT_EQ(list.Add("plain"), 1);
    EXPECT_EQ(list.GetInteger(1), 0) << "a new item carries 0";
    EXPECT_EQ(list.Count(), 2);
}

TEST(TiStringList, TheIntegerTravelsWithItsItem) {
    TiStringList list;
    list.AddInteger("first", 1);
    list.AddInteger("second", 2);
    list.Delete(0);
    EXPECT_EQ(list.GetInteger(0), 2);
    EXPECT_EQ(list.Strings(0), QString("second"));

    list.Insert(0, "inserted");
    EXPECT_EQ(list.GetInteger(0), 0);
    EXPECT_EQ(list.GetInteger(1), 2);
    list.AddInteger("third", 3);
    list.Move(2, 0);
    EXPECT_EQ(list.Strings(0), QString("third"));
    EXPECT_EQ(list.GetInteger(0), 3);
    EXPECT_EQ(list.GetInteger(2), 2);
    list.SetStrings(0, "renamed");
    EXPECT_EQ(list.GetInteger(0), 3);
    list.SetInteger(0, -30000);
    EXPECT_EQ(list.GetInteger(0), -30000);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TiStringList, IndexesOutsideTheListAreErrorsNotCrashes) {
    TiStringList list;
    list.Add("only");
    EXPECT_THROW(list.GetInteger(1), std::out_of_range);
    EXPECT_THROW(list.SetInteger(-1, 5), std::out_of_range);
    EXPECT_THROW(list.Delete(1), std::out_of_range);
    EXPECT_THROW(list.Strings(2), std::out_of_range);
    EXPECT_THROW(list.Insert(2, "x"), std::out_of_range);
    list.Insert(1, "at the end");
    EXPECT_EQ(list.Count(), 2);
}

// Counts how many objects of the kind are alive, to see what a list destroys and when.
template <typename Base> class Counted : public Base {
public:
    template <typename... Args>
    explicit Counted(int& alive, Args... args) : Base(args...), m_alive(alive) {
        ++m_alive;
    }
    ~Counted() override { --m_alive; }

private:
    int& m_alive;
};

TEST(TxmlList, RootAndChildDefaults) {
    TxmlList root(nullptr);
    EXPECT_EQ(root.Name(), QString("data"));
    EXPECT_EQ(root.Level(), 0);
    EXPECT_EQ(root.Version(), QString("1.0"));
    EXPECT_TRUE(root.LowerCaseNames());
    EXPECT_EQ(root.Parent(), nullptr);

    TxmlList child(&root);
    EXPECT_EQ(child.Level(), 1);
    EXPECT_EQ(child.Name(), QString(""));
    EXPECT_TRUE(child.LowerCaseNames());
    EXPECT_EQ(child.Parent(), &root);
    EXPECT_EQ(child.Version(), QString("1.0"));
    EXPECT_EQ(root.Count(), 0) << "creating a child does not add it";
}

TEST(TxmlList, NamesAreLowerCasedWhileTheSettingIsOn) {
    TxmlList root(nullptr);
    root.SetName("MixedCase名前");
    EXPECT_EQ(root.Name(), QString("mixedcase名前"));

    auto child = std::make_unique<TxmlList>(&root);
    TxmlList* childNode = child.get();
    auto grandchild = std::make_unique<TxmlList>(childNode);
    TxmlList* grandchildNode = grandchild.get();
    childNode->Add(std::move(grandchild));
    root.Add(std::move(child));
    EXPECT_EQ(grandchildNode->Level(), 2);

    root.SetLowerCaseNames(false);
    EXPECT_FALSE(grandchildNode->LowerCaseNames());
    grandchildNode->SetName("KeepCase");
    EXPECT_EQ(grandchildNode->Name(), QString("KeepCase"));
}

TEST(TxmlList, ClearEmptiesChildrenNameAndValue) {
    int children = 0;
    TxmlList root(nullptr);
    root.Add(std::make_unique<Counted<TxmlList>>(children, &root));
    root.Add(std::make_unique<Counted<TxmlList>>(children, &root));
    root.SetValue("text");
    ASSERT_EQ(children, 2);
    root.Delete(0);
    EXPECT_EQ(children, 1) << "deleting a child destroys it";

    root.Clear();
    EXPECT_EQ(children, 0);
    EXPECT_EQ(root.Count(), 0);
    EXPECT_EQ(root.Name(), QString(""));
    EXPECT_EQ(root.Value(), QString(""));
    EXPECT_EQ(root.Version(), QString("1.0"));
    EXPECT_EQ(root.Level(), 0);
}

TEST(TxmlList, AuxiliaryObjectsAreReleasedWithTheFirstOne) {
    int aux = 0;
    TxmlList node(nullptr);
    node.SetAuxObjects(std::make_unique<Counted<TxmlAuxObject>>(aux),
                       std::make_unique<Counted<TxmlAuxObject>>(aux));
    node.Clear();
    EXPECT_EQ(aux, 0);
    EXPECT_EQ(node.AuxObject1(), nullptr);
    EXPECT_EQ(node.AuxObject2(), nullptr);

    {
        TxmlList other(nullptr);
        other.SetAuxObjects(nullptr, std::make_unique<Counted<TxmlAuxObject>>(aux));
        other.Clear();
        EXPECT_EQ(aux, 1) << "without a first object Clear keeps the second";
    }
    EXPECT_EQ(aux, 0) << "but the node still releases it when it goes";
}

TEST(TxmlList, DestroyingANodeDestroysItsWholeSubtree) {
    int alive = 0;
    {
        TxmlList root(nullptr);
        auto child = std::make_unique<Counted<TxmlList>>(alive, &root);
        child->Add(std::make_unique<Counted<TxmlList>>(alive, child.get()));
        root.Add(std::move(child));
        EXPECT_EQ(alive, 2);
        EXPECT_THROW(root.Items(1), std::out_of_range);
        EXPECT_EQ(root.Items(0)->Count(), 1);
    }
    EXPECT_EQ(alive, 0);
}

} // namespace
