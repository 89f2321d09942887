#include "platform/foundation/Value.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace foundation {
namespace {

const ValueNode* nodeOf(const Value& value) { return static_cast<const ValueNode*>(value.identity()); }

// The references to a value's node; 0 for a scalar.
uint32_t referencesOf(const Value& value) { return value.identity() ? nodeOf(value)->referenceCount() : 0; }

// Every kind of value, with where it lives: scalars in the handle, the rest
// in a node. A copy is identical to its original and shares its node (one
// reference more); a second value made the same way is equal (but for a
// native object) and identical exactly when it is a scalar; the handle's
// state survives a move.
TEST(ValueRepresentation, ScalarsLiveInTheHandleAndTheRestInANode) {
    struct Case {
        const char* name;
        std::function<Value()> make;
        Value::Type type;
        char numberType;
        bool inNode;
    };
    const Case cases[] = {
        {"null", [] { return Value(); }, Value::Type::Null, 0, false},
        {"true", [] { return Value(true); }, Value::Type::Boolean, 'c', false},
        {"int", [] { return Value(-7); }, Value::Type::Integer, 'i', false},
        {"int64", [] { return Value::integer(std::numeric_limits<int64_t>::min()); }, Value::Type::Integer, 'q', false},
        {"uint64", [] { return Value(std::numeric_limits<uint64_t>::max()); }, Value::Type::Integer, 'Q', false},
        {"float", [] { return Value(0.5f); }, Value::Type::Real, 'f', false},
        {"double", [] { return Value(-0.0); }, Value::Type::Real, 'd', false},
        {"date", [] { return Value(Date{12.5}); }, Value::Type::Date, 0, false},
        {"uid", [] { return Value::uid(9); }, Value::Type::Uid, 0, false},
        {"empty string", [] { return Value(""); }, Value::Type::String, 0, true},
        {"string", [] { return Value(std::string(100, 'x')); }, Value::Type::String, 0, true},
        {"data",
         [] {
             return Value(Bytes{1, 2, 3});
         },
         Value::Type::Data, 0, true},
        {"decimal", [] { return Value::decimal("2.50"); }, Value::Type::Real, 'd', true},
        {"array", [] { return Value(Array{1}); }, Value::Type::Array, 0, true},
        {"dictionary",
         [] {
             return Value(Dictionary{{"k", 1}});
         },
         Value::Type::Dictionary, 0, true},
        {"object", [] { return Value::object(7); }, Value::Type::Object, 0, true},
    };
    static_assert(sizeof(Value) == 16, "a value is two words");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Value original = c.make();
        EXPECT_EQ(original.type(), c.type);
        EXPECT_EQ(original.numberType(), c.numberType);
        EXPECT_EQ(nodeOf(original) != nullptr, c.inNode);
        const uint32_t references = referencesOf(original);
        EXPECT_EQ(references, c.inNode ? 1u : 0u);
        {
            const Value copy = original;
            EXPECT_TRUE(copy.isIdenticalTo(original));
            EXPECT_EQ(copy.identity(), original.identity());
            EXPECT_EQ(referencesOf(original), c.inNode ? 2u : 0u);
            Value moved = copy;
            Value target(std::move(moved));
            EXPECT_TRUE(moved.isNull());
            EXPECT_TRUE(target.isIdenticalTo(original));
        }
        EXPECT_EQ(referencesOf(original), references);
        const Value again = c.make();
        EXPECT_EQ(again == original, c.type != Value::Type::Object);  // native objects compare by identity
        EXPECT_EQ(again.isIdenticalTo(original), !c.inNode);
    }
}

// Scalars are identical only with the same type, type code and bits: equal
// numbers of other kinds stay apart.
TEST(ValueRepresentation, EqualScalarsOfOtherKindsAreNotIdentical) {
    const std::pair<Value, Value> pairs[] = {
        {Value(1), Value(1L)},
        {Value(1), Value(1.0)},
        {Value(true), Value(1)},
        {Value(0.0), Value(-0.0)},
        {Value(0.5f), Value(0.5)},
        {Value::uid(3), Value(3)},
        {Value(Date{0}), Value(0.0)},
        {Value(), Value(false)},
        {Value(std::numeric_limits<uint64_t>::max()), Value(-1L)},
    };
    for (const auto& [a, b] : pairs) {
        SCOPED_TRACE(a.description() + " / " + b.description());
        EXPECT_FALSE(a.isIdenticalTo(b));
        EXPECT_FALSE(b.isIdenticalTo(a));
    }
}

// Handles assigned over each other, onto themselves and across threads give
// every node back exactly once: the counts end where they began (ASan and
// LSan see any node freed twice or never).
TEST(ValueRepresentation, ReferenceCountsHoldAcrossAssignmentsAndThreads) {
    const Value text(std::string(64, 't'));
    const Value list(Array{text, Value(2)});
    Value slot = text;
    Value& same = slot;  // through a reference, as self-assignment happens in real code
    slot = same;         // self-assignment keeps the node
    EXPECT_EQ(slot.asString(), std::string(64, 't'));
    slot = list;
    slot = std::move(same);
    slot = Value(3);
    EXPECT_EQ(nodeOf(text)->referenceCount(), 2u);  // `text` and the array's element
    EXPECT_EQ(nodeOf(list)->referenceCount(), 1u);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                Value copy = list;
                Value element = copy.asArray()[0];
                std::swap(copy, element);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(nodeOf(text)->referenceCount(), 2u);
    EXPECT_EQ(nodeOf(list)->referenceCount(), 1u);
}

// A node that counts its destructions, and may refuse to be made.
struct Counted final : ValueNode {
    Counted(int& destroyed, bool fail) : destroyed_(destroyed) {
        if (fail) throw std::runtime_error("refused");
    }
    ~Counted() override { ++destroyed_; }
    int& destroyed_;
};

// Each step leaves the node with the references it should have; the node
// dies once, with its last one, wherever it was made.
TEST(ValueRepresentation, RetainedCountsEveryOwnerAndTheNodeDiesOnce) {
    for (const bool inScope : {false, true}) {
        SCOPED_TRACE(inScope ? "in an arena scope" : "on the heap");
        int destroyed = 0;
        {
            std::optional<ValueArena::Scope> scope;
            if (inScope) scope.emplace();
            Retained<Counted> first = makeNode<Counted>(destroyed, false);
            EXPECT_EQ(first->inArena(), inScope);
            Counted* raw = first.get();
            struct Step {
                const char* name;
                std::function<Retained<ValueNode>()> make;
                uint32_t references;  // while the step's result lives
            };
            const Step steps[] = {
                {"copy", [&] { return Retained<ValueNode>(Retained<Counted>(first)); }, 2},
                {"share", [&] { return Retained<ValueNode>(Retained<Counted>::share(raw)); }, 2},
                {"adopt a retained",
                 [&] {
                     raw->retain();
                     return Retained<ValueNode>(Retained<Counted>::adopt(raw));
                 },
                 2},
                {"share nothing", [&] { return Retained<ValueNode>(Retained<Counted>::share(nullptr)); }, 1},
            };
            for (const Step& step : steps) {
                SCOPED_TRACE(step.name);
                {
                    Retained<ValueNode> held = step.make();
                    EXPECT_EQ(raw->referenceCount(), step.references);
                    EXPECT_EQ(held.get() != nullptr, step.references == 2);
                }
                EXPECT_EQ(raw->referenceCount(), 1u);
            }
            Counted* handed = first.take();
            EXPECT_FALSE(first);
            EXPECT_EQ(handed->referenceCount(), 1u);
            Retained<Counted> back = Retained<Counted>::adopt(handed);
            Retained<Counted> other = std::move(back);
            EXPECT_FALSE(back);
            EXPECT_EQ(destroyed, 0);
            other = Retained<Counted>();
            EXPECT_EQ(destroyed, 1);
            // A node whose constructor throws gives its memory back.
            EXPECT_THROW(makeNode<Counted>(destroyed, true), std::runtime_error);
        }
        EXPECT_EQ(destroyed, 1);
    }
}

// A dictionary searched in order while small and through an index once
// large finds, replaces and removes the same way on both sides of the limit,
// and keeps the order of first insertion: checked against a model after
// every change of a run that grows it past the limit and shrinks it back.
TEST(ValueRepresentation, DictionariesBehaveAlikeSmallAndLarge) {
    Dictionary dictionary;
    std::vector<std::pair<std::string, int>> model;  // in insertion order
    auto check = [&](const std::string& step) {
        SCOPED_TRACE(step);
        ASSERT_EQ(dictionary.size(), model.size());
        std::vector<std::string> keys;
        for (const auto& [key, value] : model) {
            EXPECT_EQ(dictionary.get(key).asInt(-1), value) << key;
            keys.push_back(key);
        }
        EXPECT_EQ(dictionary.keys(), keys);
        EXPECT_FALSE(dictionary.contains("absent"));
    };
    auto set = [&](const std::string& key, int value) {
        dictionary.set(key, value);
        auto it = std::find_if(model.begin(), model.end(), [&](const auto& entry) { return entry.first == key; });
        if (it == model.end()) {
            model.emplace_back(key, value);
        } else {
            it->second = value;
        }
        check("set " + key);
    };
    auto remove = [&](const std::string& key) {
        dictionary.remove(key);
        std::erase_if(model, [&](const auto& entry) { return entry.first == key; });
        check("remove " + key);
    };
    for (int i = 0; i < 12; ++i) set("k" + std::to_string(i), i);   // past the limit
    set("k3", 30);                                                  // replaced in place
    for (int i = 11; i >= 2; --i) remove("k" + std::to_string(i));  // back below it
    set("k5", 5);
    set("k0", 100);
    remove("k1");
    remove("never there");
    dictionary.clear();
    model.clear();
    check("clear");
}

}  // namespace
}  // namespace foundation
