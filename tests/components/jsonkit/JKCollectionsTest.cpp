#include "components/jsonkit/JSONDecoder.h"
#include "platform/foundation/Exceptions.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace foundation;
using namespace jsonkit;

namespace {

Value decode(std::string_view text, bool isMutable) {
    std::optional<Value> value = isMutable ? mutableObjectFromJSONString(text) : objectFromJSONString(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(Value());
}

const JKDictionary& table(const Dictionary& dictionary) {
    return dynamic_cast<const JKDictionary&>(dictionary.storage());
}

const JKArray& slots(const Array& array) { return dynamic_cast<const JKArray&>(array.storage()); }

// Every key of the model is found with its value, nothing else is, and a
// walk meets exactly the model's keys once each, in bucket order.
void expectSameAs(const Dictionary& dictionary, const std::map<std::string, int>& model) {
    ASSERT_EQ(dictionary.size(), model.size());
    for (const auto& [key, value] : model) ASSERT_EQ(dictionary.get(key).asInt(-1), value) << key;
    std::map<std::string, int> walked;
    size_t lastBucket = 0;
    for (const auto& [key, value] : dictionary) {
        const size_t bucket = table(dictionary).bucketOf(key).value_or(SIZE_MAX);
        ASSERT_TRUE(walked.empty() || bucket > lastBucket) << key;
        lastBucket = bucket;
        walked[key] = static_cast<int>(value.asInt());
    }
    EXPECT_EQ(walked, model);
}

}  // namespace

TEST(JKCollections, DictionaryCapacitiesComeFromTheTable) {
    const std::pair<size_t, size_t> cases[] = {{0, 0},
                                               {1, 3},
                                               {3, 3},
                                               {4, 7},
                                               {7, 13},
                                               {10, 13},
                                               {11, 23},
                                               {1000, 1723},
                                               {355000000, 472907251},
                                               {400000000, 472907251}};
    for (auto [count, capacity] : cases) EXPECT_EQ(JKDictionary::capacityFor(count), capacity) << count;

    Dictionary empty = decode("{}", true).asDictionary();
    EXPECT_EQ(table(empty).capacity(), 0u);
    EXPECT_TRUE(empty.get("a").isNull());
    empty.set("a", 1);
    EXPECT_EQ(table(empty).capacity(), 3u);

    Dictionary three = decode(R"({"a":1,"b":2,"c":3})", true).asDictionary();
    EXPECT_EQ(table(three).capacity(), 3u);
    for (size_t bucket = 0; bucket < 3; ++bucket) EXPECT_NE(table(three).bucket(bucket), nullptr);
    EXPECT_FALSE(three.contains("d"));  // a full table: the search stops after every bucket
    three.set("d", 4);
    EXPECT_EQ(table(three).capacity(), 7u);
    EXPECT_EQ(three.size(), 4u);
    three.set("d", 5);  // replaced, not added
    EXPECT_EQ(three.size(), 4u);
    EXPECT_EQ(three.get("d").asInt(), 5);
}

// A key's home bucket is its hash modulo the table size, worked out by
// multiplication: the same remainder as a division, for every listed size
// and hashes across the whole 64-bit range.
TEST(JKCollections, HomeBucketsAreExactRemainders) {
    std::mt19937_64 random(11);
    std::vector<uint64_t> hashes{0, 1, UINT64_MAX, UINT64_MAX - 1, uint64_t{1} << 63, (uint64_t{1} << 63) - 1};
    while (hashes.size() < 2000) hashes.push_back(random() >> (random() % 64));
    for (size_t count = 1, capacity = 0; capacity < 472907251; ++count) {
        if (JKDictionary::capacityFor(count) == capacity) continue;
        capacity = JKDictionary::capacityFor(count);
        count = static_cast<size_t>(static_cast<double>(capacity) / 1.33);  // on to the next listed size
        const JKModulus modulus(capacity);
        for (uint64_t hash : hashes) {
            ASSERT_EQ(modulus.of(hash), hash % capacity) << hash << " % " << capacity;
            ASSERT_EQ(modulus.of(hash / capacity * capacity), 0u) << hash << " % " << capacity;
        }
    }
}

TEST(JKCollections, RandomChangesKeepEveryKeyReachable) {
    Dictionary dictionary = decode("{}", true).asDictionary();
    std::map<std::string, int> model;
    std::mt19937 random(7);
    for (int step = 0; step < 6000; ++step) {
        const std::string key = "k" + std::to_string(random() % 400);
        switch (random() % 5) {
            case 0:
            case 1:
            case 2:
                dictionary.set(key, step);
                model[key] = step;
                break;
            case 3:
                dictionary.remove(key);
                model.erase(key);
                break;
            default:
                if (step % 7 == 0) {  // now and then the table empties and refills
                    dictionary.clear();
                    model.clear();
                }
        }
        if (step % 97 == 0) expectSameAs(dictionary, model);
    }
    expectSameAs(dictionary, model);

    // A cluster across the end of a 13-bucket table: four keys at home in
    // the last bucket run on into buckets 0, 1 and 2.
    std::vector<std::string> lastHome, others;
    for (int i = 0; lastHome.size() < 4 || others.size() < 4; ++i) {
        const std::string key = "w" + std::to_string(i);
        (JKDictionary::hashKey(key) % 13 == 12 ? lastHome : others).push_back(key);
    }
    Dictionary wrapped = decode("{}", true).asDictionary();
    model.clear();
    for (const auto* keys : {&others, &lastHome})
        for (size_t i = 0; i < 4; ++i) {
            wrapped.set((*keys)[i], static_cast<int>(i));
            model[(*keys)[i]] = static_cast<int>(i);
        }
    ASSERT_EQ(table(wrapped).capacity(), 13u);
    EXPECT_LT(table(wrapped).bucketOf(lastHome[3]).value(), 12u);
    for (const std::string& key : lastHome) {
        wrapped.remove(key);
        model.erase(key);
        expectSameAs(wrapped, model);
    }
}

TEST(JKCollections, ImmutableResultsRefuseEveryChange) {
    const Value document = decode(R"({"list":[1,2],"inner":{"a":1}})", false);
    Dictionary top = document.asDictionary();
    Array list = top.get("list").asArray();
    Dictionary inner = top.get("inner").asDictionary();
    struct Case {
        std::function<void()> change;
        std::string message;
    };
    const Case cases[] = {
        {[&] { list.push_back(3); }, "*** -[JKArray insertObject:atIndex:]: mutating method sent to immutable object"},
        {[&] { list.insert(9, 3); }, "*** -[JKArray insertObject:atIndex:]: mutating method sent to immutable object"},
        {[&] { list.set(0, 3); },
         "*** -[JKArray replaceObjectAtIndex:withObject:]: mutating method sent to immutable object"},
        {[&] { list.erase(7); }, "*** -[JKArray removeObjectAtIndex:]: mutating method sent to immutable object"},
        {[&] { list.clear(); }, "*** -[JKArray removeAllObjects]: mutating method sent to immutable object"},
        {[&] { top.set("x", 1); }, "*** -[JKDictionary setObject:forKey:]: mutating method sent to immutable object"},
        {[&] { inner.remove("zz"); },
         "*** -[JKDictionary removeObjectForKey:]: mutating method sent to immutable object"},
        {[&] { inner.clear(); }, "*** -[JKDictionary removeAllObjects]: mutating method sent to immutable object"},
    };
    for (const Case& c : cases) {
        try {
            c.change();
            ADD_FAILURE() << "no exception: " << c.message;
        } catch (const NSInternalInconsistencyException& exception) {
            EXPECT_EQ(std::string(exception.what()), c.message);
        }
    }
    EXPECT_EQ(document, decode(R"({"list":[1,2],"inner":{"a":1}})", true)) << "nothing changed";

    // The mutable twin takes changes at every level; a copy is an ordinary mutable array.
    const Value changeable = decode(R"({"list":[1,2],"inner":{"a":1}})", true);
    changeable.asDictionary().get("inner").asDictionary().set("b", 2);
    changeable.asDictionary().get("list").asArray().push_back(3);
    EXPECT_EQ(changeable, Value(Dictionary{{"list", Array{1, 2, 3}}, {"inner", Dictionary{{"a", 1}, {"b", 2}}}}));
    Array copy = list.copy();
    copy.push_back(3);
    EXPECT_EQ(copy, (Array{1, 2, 3}));
    EXPECT_EQ(list.size(), 2u);
}

TEST(JKCollections, ArraysReportBoundsAndGrowSixteenSlotsWhenFull) {
    Array array = decode("[1,2,3]", true).asArray();
    EXPECT_EQ(slots(array).capacity(), 3u);
    struct Case {
        std::function<void()> change;
        std::string message;
    };
    const Case cases[] = {
        {[&] { (void)array.at(3); }, "*** -[JKArray objectAtIndex:]: index (3) beyond bounds (3)"},
        {[&] { array.insert(4, 0); }, "*** -[JKArray insertObject:atIndex:]: index (4) beyond bounds (4)"},
        {[&] { array.set(3, 0); }, "*** -[JKArray replaceObjectAtIndex:withObject:]: index (3) beyond bounds (3)"},
        {[&] { array.erase(5); }, "*** -[JKArray removeObjectAtIndex:]: index (5) beyond bounds (3)"},
    };
    for (const Case& c : cases) {
        try {
            c.change();
            ADD_FAILURE() << "no exception: " << c.message;
        } catch (const NSRangeException& exception) {
            EXPECT_EQ(std::string(exception.what()), c.message);
        }
    }
    array.insert(3, 4);  // at the count: appends, and a full array grows
    EXPECT_EQ(slots(array).capacity(), 19u);
    while (array.size() < 19) array.push_back(static_cast<int>(array.size()) + 1);
    EXPECT_EQ(slots(array).capacity(), 19u) << "an array that just fits does not grow";
    array.push_back(20);
    EXPECT_EQ(slots(array).capacity(), 35u);
    array.erase(0);
    array.set(0, 7);
    EXPECT_EQ(array[0].asInt(), 7);
    EXPECT_EQ(array[18].asInt(), 20);
    EXPECT_EQ(array.size(), 19u);

    // Inserts and removals anywhere keep the elements in the order a plain
    // vector keeps them.
    std::vector<int> model;
    for (const Value& value : array) model.push_back(static_cast<int>(value.asInt()));
    std::mt19937 random(3);
    for (int step = 0; step < 400; ++step) {
        if (random() % 3 != 0 || model.empty()) {
            const size_t at = random() % (model.size() + 1);
            array.insert(at, step);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), step);
        } else {
            const size_t at = random() % model.size();
            array.erase(at);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    std::vector<int> contents;
    for (const Value& value : array) contents.push_back(static_cast<int>(value.asInt()));
    EXPECT_EQ(contents, model);
}

TEST(JKCollections, WalksNoticeChangesAndTheEnumeratorFollowsBucketOrder) {
    Dictionary dictionary = decode(R"({"a":1,"b":2,"c":3,"d":4,"e":5})", true).asDictionary();
    auto growWhileWalking = [&] {
        for (const auto& entry : dictionary) dictionary.set(entry.first + "x", 0);
    };
    EXPECT_THROW(growWhileWalking(), CollectionMutatedError);
    Array array = decode("[1,2,3]", true).asArray();
    auto appendWhileWalking = [&] {
        for (const Value& value : array) array.push_back(value);
    };
    EXPECT_THROW(appendWhileWalking(), CollectionMutatedError);

    std::optional<JKDictionaryEnumerator> keys = JKDictionaryEnumerator::keyEnumerator(dictionary);
    ASSERT_TRUE(keys.has_value());
    std::vector<std::string> walked;
    for (const auto& entry : dictionary) walked.push_back(entry.first);
    std::vector<std::string> enumerated{keys->nextObject().value()};
    for (const std::string& key : keys->allObjects()) enumerated.push_back(key);
    EXPECT_EQ(enumerated, walked);
    EXPECT_FALSE(keys->nextObject().has_value());
    EXPECT_FALSE(JKDictionaryEnumerator::keyEnumerator(Dictionary{{"a", 1}}).has_value());

    for (const auto& allocate : {&JKArray::allocWithZone, &JKDictionary::allocWithZone}) {
        try {
            allocate();
        } catch (const NSInvalidArgumentException& exception) {
            EXPECT_NE(std::string(exception.what())
                          .find("class is private to JSONKit and should not be used in this fashion."),
                      std::string::npos);
        }
    }
}

namespace {

// Containers decoded together share the decoder's arena; each must still
// live on its own, outlive the decoder, and (when mutable) grow on the heap.
TEST(JKCollectionsArenaTest, DecodedContainersOutliveTheirDocumentAndDecoder) {
    for (const bool isMutable : {false, true}) {
        SCOPED_TRACE(isMutable);
        Value inner;
        {
            JSONDecoder decoder;
            const std::string text =
                R"({"list":[1,2,3],"deep":{"keys":["a","b"],"n":null},"pad":")" + std::string(300, 'x') + "\"}";
            std::optional<Value> document = isMutable ? decoder.mutableObjectWithUTF8String(text.data(), text.size())
                                                      : decoder.objectWithUTF8String(text.data(), text.size());
            ASSERT_TRUE(document);
            inner = document->asDictionary().get("deep");
        }
        Array keys = inner.asDictionary().get("keys").asArray();
        EXPECT_EQ(keys.size(), 2u);
        EXPECT_EQ(keys[1].asString(), "b");
        if (isMutable) {
            for (int i = 0; i < 40; ++i) keys.push_back(Value(i));  // past the exact slots, onto the heap
            EXPECT_EQ(keys.size(), 42u);
            EXPECT_EQ(slots(keys).capacity(), 2u + 48u);
            Dictionary deep = inner.asDictionary();
            for (int i = 0; i < 40; ++i) deep.set("k" + std::to_string(i), Value(i));
            EXPECT_EQ(deep.size(), 42u);
            EXPECT_EQ(deep.get("k39").asInt(), 39);
        } else {
            EXPECT_THROW(keys.push_back(Value(1)), NSInternalInconsistencyException);
        }
    }
}

}  // namespace
