#include "components/google/GTLCollectionObject.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLObject.h"

#include <gtest/gtest.h>
#include <string>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;
using namespace google;

namespace {

class TestThing : public GTLObject {
    GTL_OBJECT_CLASS(TestThing)

public:
    std::optional<std::string> title() const { return stringProperty("title"); }
    void setTitle(std::optional<std::string> value) { setStringProperty("title", std::move(value)); }
    std::optional<std::string> descriptionProperty() const { return stringProperty("description"); }
    void setDescriptionProperty(std::optional<std::string> v) { setStringProperty("description", std::move(v)); }
    uint64_t big() const { return uint64Property("big"); }
    int64_t small() const { return int64Property("small"); }
    std::optional<Value> ratio() const { return numberProperty("ratio"); }
    GTLDateTimePtr when() { return dateTimeProperty("when"); }
    void setWhen(GTLDateTimePtr value) { setDateTimeProperty("when", std::move(value)); }
    std::shared_ptr<TestThing> child() { return typedObjectProperty<TestThing>("child"); }
    void setChild(const std::shared_ptr<TestThing>& value) { setTypedObjectProperty("child", value); }
    std::optional<std::vector<std::shared_ptr<TestThing>>> things() { return typedArrayProperty<TestThing>("things"); }
};

class TestSpecialThing : public TestThing {
    GTL_OBJECT_CLASS(TestSpecialThing)
};

class TestThingList : public GTLCollectionObject {
    GTL_OBJECT_CLASS(TestThingList)
};

}  // namespace

GTL_DEFINE_CLASS(TestThing, GTLObject,
                 made.declaredProperties = {"title", "descriptionProperty", "big", "small", "ratio", "when", "child",
                                            "things"};
                 made.propertyToJSONKeyMap = {{"descriptionProperty", "description"}};
                 made.arrayPropertyToClassMap = {{"things", &TestThing::classInfo}};)
GTL_DEFINE_CLASS(TestSpecialThing, TestThing, )
GTL_DEFINE_CLASS(TestThingList, GTLCollectionObject, made.declaredProperties = {"items"};
                 made.arrayPropertyToClassMap = {{"items", &TestThing::classInfo}};)

namespace {

Value parse(std::string_view text) {
    std::optional<Value> json = GTLJSONParser::objectWithString(text, nullptr);
    EXPECT_TRUE(json) << text;
    return json.value_or(Value());
}

}  // namespace

TEST(GTLObject, NumbersInStringsFollowTheNumberRule) {
    auto thing = TestThing::objectWithJSON(
        parse(R"({"big":"18446744073709551615","small":"-5","ratio":"1.5","title":"t","description":"d"})"));
    EXPECT_EQ(thing->big(), 18446744073709551615ull);
    EXPECT_EQ(thing->small(), -5);
    ASSERT_TRUE(thing->ratio());
    EXPECT_TRUE(thing->ratio()->isReal());
    EXPECT_DOUBLE_EQ(thing->ratio()->asDouble(), 1.5);
    EXPECT_EQ(thing->descriptionProperty(), "d");
    EXPECT_FALSE(thing->additionalJSONKeys()) << "every key belongs to a declared property";

    thing->setJSONValue("extra", Value(1));
    EXPECT_EQ(thing->additionalJSONKeys(), std::vector<std::string>{"extra"});
}

TEST(GTLObject, KindsChooseTheClass) {
    GTLObject::registerObjectClassForKind(TestSpecialThing::classInfo(), "test#special");
    auto thing = TestThing::objectWithJSON(
        parse(R"({"child":{"kind":"test#special","title":"s"},"things":[{"kind":"test#other"},{"title":"x"}]})"));
    auto child = thing->child();
    ASSERT_TRUE(child);
    EXPECT_EQ(&child->objectClass(), &TestSpecialThing::classInfo());
    EXPECT_TRUE(std::dynamic_pointer_cast<TestSpecialThing>(child));
    EXPECT_EQ(child, thing->child()) << "a child is made once";
    auto things = thing->things();
    ASSERT_TRUE(things);
    ASSERT_EQ(things->size(), 2u);
    EXPECT_EQ(&(*things)[0]->objectClass(), &TestThing::classInfo()) << "an unregistered kind gives the declared class";
    EXPECT_EQ((*things)[1]->title(), "x");

    EXPECT_FALSE(GTLObject::objectForJSON(Value(), &TestThing::classInfo(), nullptr, nullptr));
    auto empty = GTLObject::objectForJSON(Value(Dictionary()), &TestThing::classInfo(), nullptr, nullptr);
    ASSERT_TRUE(empty);
    EXPECT_EQ(&empty->objectClass(), &TestThing::classInfo());
    EXPECT_FALSE(GTLObject::objectForJSON(Value(Dictionary()), nullptr, nullptr, nullptr));

    GTLSurrogates surrogates{{&TestThing::classInfo(), &TestSpecialThing::classInfo()}};
    auto replaced =
        GTLObject::objectForJSON(parse(R"({"child":{"title":"c"}})"), &TestThing::classInfo(), &surrogates, nullptr);
    EXPECT_EQ(&replaced->objectClass(), &TestSpecialThing::classInfo());
    auto replacedChild = std::static_pointer_cast<TestThing>(replaced)->child();
    EXPECT_EQ(&replacedChild->objectClass(), &TestSpecialThing::classInfo()) << "surrogates reach the children";
}

TEST(GTLObject, ChildrenShareTheirJSONWithTheParent) {
    auto parent = TestThing::object();
    auto child = TestThing::object();
    parent->setChild(child);
    child->setTitle("later");
    EXPECT_EQ(parent->JSON().asDictionary().get("child").asDictionary().get("title").asString(), "later");

    parent->setWhen(GTLDateTime::dateTimeWithRFC3339String("2013-05-01T10:20:30Z"));
    EXPECT_EQ(parent->JSON().asDictionary().get("when").asString(), "2013-05-01T10:20:30Z");
    parent->setWhen(nullMarker<GTLDateTime>());
    EXPECT_TRUE(parent->JSON().asDictionary().get("when").isNull());
    EXPECT_TRUE(parent->JSON().asDictionary().contains("when"));
    EXPECT_TRUE(isNullMarker(parent->when()));
    parent->setChild(nullMarker<TestThing>());
    EXPECT_TRUE(isNullMarker(parent->child()));
    parent->setWhen(nullptr);
    EXPECT_FALSE(parent->JSON().asDictionary().contains("when"));
}

TEST(GTLObject, PatchesCopiesAndEquality) {
    auto original = TestThing::objectWithJSON(parse(R"({"title":"a","small":"1","child":{"title":"c","big":"2"}})"));
    auto same = original->copy();
    EXPECT_TRUE(original->isEqual(*same));
    EXPECT_FALSE(same->JSON().asDictionary().isIdenticalTo(original->JSON().asDictionary()));
    EXPECT_FALSE(same->patchObjectFromOriginal(*original));

    auto changed = std::static_pointer_cast<TestThing>(original->copy());
    changed->setJSONValue("small", std::nullopt);
    changed->child()->setTitle("d");
    changed->setDescriptionProperty("new");
    auto patch = changed->patchObjectFromOriginal(*original);
    ASSERT_TRUE(patch);
    EXPECT_EQ(*GTLJSONParser::stringWithObject(patch->JSON(), false, nullptr),
              R"({"small":null,"child":{"title":"d"},"description":"new"})");
    EXPECT_FALSE(original->isEqual(*changed));
    EXPECT_FALSE(
        TestThing::objectWithJSON(Value(Dictionary()))->isEqual(*TestThingList::objectWithJSON(Value(Dictionary()))));
    EXPECT_TRUE(TestThing::objectWithJSON(Value(Dictionary()))
                    ->isEqual(*TestSpecialThing::objectWithJSON(Value(Dictionary()))));
}

TEST(GTLObject, DescriptionsAndFields) {
    EXPECT_EQ(GTLObject::fieldsDescriptionForJSON(
                  parse(R"({"d":[{"e":1}],"b":{"c":"x"},"a":"s","E":[],"f":[1,2],"g":null})").asDictionary()),
              "a,b/c,d(e),f");
    auto thing = TestThing::objectWithJSON(parse(R"({"title":"t","child":{"x":1,"y":2},"things":[{},{}],"odd":true})"));
    const std::string description = thing->description();
    EXPECT_EQ(description.substr(0, 10), "TestThing ");
    EXPECT_NE(description.find(R"(: {title:"t" child:{x,y} things:[2] odd?:1})"), std::string::npos) << description;
    EXPECT_NE(thing->JSONString().find("\n"), std::string::npos) << "human-readable";
}

TEST(GTLCollectionObject, IndexingAndIdentifiers) {
    auto list = TestThingList::objectWithJSON(parse(
        R"({"items":[{"identifier":"a"},{"identifier":"b","title":"first"},{"identifier":"b","title":"second"},{"title":"none"}]})"));
    ASSERT_EQ(list->collectionItems().size(), 4u);
    EXPECT_EQ(&list->itemAtIndex(0)->objectClass(), &TestThing::classInfo());
    EXPECT_FALSE(list->itemAtIndex(4));
    EXPECT_FALSE(list->objectAtIndexedSubscript(-1));
    EXPECT_TRUE(list->objectAtIndexedSubscript(3));
    auto b = std::dynamic_pointer_cast<TestThing>(list->itemForIdentifier("b"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->title(), "first");
    EXPECT_FALSE(list->itemForIdentifier("c"));

    auto array = GTLResultArray::objectWithJSON(parse(R"([{"title":"x"},{"title":"y"}])"));
    auto items = array->itemsWithItemClass(TestThing::classInfo());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(std::static_pointer_cast<TestThing>(items[1])->title(), "y");
    EXPECT_EQ(array->itemsWithItemClass(TestThing::classInfo())[0], items[0]) << "made once";
}

TEST(GTLErrorObject, BecomesAnErrorThatCarriesIt) {
    auto structured = GTLErrorObject::objectWithJSON(
        parse(R"({"code":-32602,"message":"Invalid value","data":[{"domain":"global","reason":"invalid"}]})"));
    const foundation::Error error = structured->foundationError();
    EXPECT_EQ(error.domain, kGTLJSONRPCErrorDomain);
    EXPECT_EQ(error.code, -32602);
    EXPECT_EQ(error.description, "The operation couldn\u2019t be completed. (Invalid value)");
    ASSERT_TRUE(error.userInfo);
    EXPECT_EQ(error.userInfo->get("error").asString(), "Invalid value");
    EXPECT_EQ(error.userInfo->get("NSLocalizedFailureReason").asString(), "(Invalid value)");
    EXPECT_EQ(GTLErrorObject::underlyingObjectForError(error), structured);
    EXPECT_EQ((*structured->data())[0]->reason(), "invalid");
    EXPECT_FALSE(GTLErrorObject::underlyingObjectForError(foundation::Error("x", 1, "y")));

    auto bare = GTLErrorObject::objectWithJSON(parse(R"({"code":404})"));
    EXPECT_EQ(bare->foundationError().description,
              "The operation couldn\u2019t be completed. (com.google.GTLJSONRPCErrorDomain error 404.)");
}
