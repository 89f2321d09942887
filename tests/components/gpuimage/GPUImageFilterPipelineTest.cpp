#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageFilterPipeline.h"
#include "platform/foundation/PropertyList.h"
#include "support/RunFolder.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using foundation::Array;
using foundation::Dictionary;
using graphics::Point;
using graphics::Size;

namespace {

// A filter with one operation of every kind a configuration can call,
// registered the way a filter library registers its own.
class PipelineTestFilter : public GPUImageFilter {
public:
    void setIntensity(double value) { intensity = value; }
    void setCenter(Point value) { center = value; }
    void setName(std::string value) { name = std::move(value); }
    void setValues(std::vector<GPUImageAttributeElement> value) { values = std::move(value); }
    void reset() { ++resets; }

    double intensity = -1;
    Point center{-1, -1};
    std::string name;
    std::vector<GPUImageAttributeElement> values;
    int resets = 0;
};

class PipelineTestSubfilter : public PipelineTestFilter {};

void registerTestFilters() {
    static bool done = [] {
        auto& registry = GPUImageFilterRegistry::shared();
        registry.registerClass<PipelineTestFilter>("PipelineTestFilter", "GPUImageFilter");
        registry.registerClass<PipelineTestSubfilter>("PipelineTestSubfilter", "PipelineTestFilter");
        registry.registerOperation("PipelineTestFilter", "setIntensity:", &PipelineTestFilter::setIntensity);
        registry.registerOperation("PipelineTestFilter", "setCenter:", &PipelineTestFilter::setCenter);
        registry.registerOperation("PipelineTestFilter", "setName:", &PipelineTestFilter::setName);
        registry.registerOperation("PipelineTestFilter", "setValues:", &PipelineTestFilter::setValues);
        registry.registerOperation("PipelineTestFilter", "reset", &PipelineTestFilter::reset);
        return true;
    }();
    (void)done;
}

Dictionary entry(const std::string& className, Dictionary attributes = {}) {
    Dictionary e{{"FilterName", className}};
    if (!attributes.empty()) e.set("Attributes", attributes);
    return e;
}

Dictionary configuration(std::vector<foundation::Value> entries) {
    return Dictionary{{"Filters", Array(std::move(entries))}};
}

std::shared_ptr<PipelineTestFilter> testFilter(const std::shared_ptr<GPUImageOutput>& filter) {
    return std::dynamic_pointer_cast<PipelineTestFilter>(filter);
}

std::shared_ptr<GPUImageInput> asInput(const std::shared_ptr<GPUImageOutput>& filter) {
    return std::dynamic_pointer_cast<GPUImageInput>(filter);
}

}  // namespace

TEST(GPUImageFilterPipeline, AttributeStringsReadAsTheirTypeWordSays) {
    using Value = GPUImageAttributeArgument;
    struct Case {
        std::string text;
        std::optional<Value> expected;
    } cases[] = {
        {"float(0.5)", Value(0.5)},
        {"float( 2.5 apples)", Value(2.5)},
        {"float()", Value(0.0)},
        {"float(0.1)", Value(double(0.1f))},  // read as a float
        {"float(1, 7)", Value(1.0)},
        {"CGPoint(0.5,   0.25)", Value(Point{0.5, 0.25})},
        {"CGPoint(2)", Value(Point{2, 0})},
        {"NSString(a, b)", Value(std::string("a"))},
        {"NSString(hello world)", Value(std::string("hello world"))},
        {"the float(3) inside", Value(3.0)},
        {"Float(1)", std::nullopt},
        {"int(3)", std::nullopt},
        {"float 3", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        auto parsed = parseAttributeString(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(parsed->value, *c.expected) << c.text;
        }
    }
}

TEST(GPUImageFilterPipeline, ConfigurationBuildsAndWiresTheChain) {
    registerTestFilters();
    auto source = std::make_shared<GPUImageFilter>();
    auto target = std::make_shared<gpuimagetest::RecordingTarget>();
    auto stray = std::make_shared<gpuimagetest::RecordingTarget>();
    source->addTarget(stray);
    auto pipeline = GPUImageFilterPipeline::createWithConfiguration(
        configuration({entry("PipelineTestFilter", {{"setIntensity:", "float(0.5)"},
                                                    {"setCenter:", "CGPoint(0.5,   0.25)"},
                                                    {"setName:", "NSString(a, b)"},
                                                    {"setValues:", Array{"float(1)", "NSString(c)", "CGPoint(2, 3)"}},
                                                    {"reset", "whatever(9)"}}),
                       entry("PipelineTestSubfilter", {{"reset", 12}})}),
        source, target);
    ASSERT_TRUE(pipeline) << pipeline.error().description;
    auto filters = (*pipeline)->filters();
    ASSERT_EQ(filters.size(), 2u);
    auto first = testFilter(filters[0]);
    auto second = testFilter(filters[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->intensity, 0.5);
    EXPECT_EQ(first->center, (Point{0.5, 0.25}));
    EXPECT_EQ(first->name, "a");
    EXPECT_EQ(first->values, (std::vector<GPUImageAttributeElement>{1.0, Point{2, 3}}));
    EXPECT_EQ(first->resets, 1);
    EXPECT_EQ(second->resets, 1) << "a subclass finds its superclass's operations";
    EXPECT_EQ((*pipeline)->stringValue(), "c");

    // source → first → second → target, and the source's earlier target is gone.
    EXPECT_EQ(source->targets(), (std::vector<std::shared_ptr<GPUImageInput>>{asInput(first)}));
    EXPECT_EQ(first->targets(), (std::vector<std::shared_ptr<GPUImageInput>>{asInput(second)}));
    EXPECT_EQ(second->targets(), (std::vector<std::shared_ptr<GPUImageInput>>{target}));
    EXPECT_EQ(stray->ends, 0) << "removed with removeAllTargets, which does not end processing";
}

TEST(GPUImageFilterPipeline, UnreadableConfigurationsGiveNoPipeline) {
    registerTestFilters();
    std::vector<std::pair<std::string, Dictionary>> cases = {
        {"no Filters", Dictionary{{"Filter", Array{entry("PipelineTestFilter")}}}},
        {"Filters not a list", Dictionary{{"Filters", "PipelineTestFilter"}}},
        {"unknown class", configuration({entry("NoSuchFilter")})},
        {"unknown setter", configuration({entry("PipelineTestFilter", {{"setWidth:", "float(1)"}})})},
        {"type word in capitals", configuration({entry("PipelineTestFilter", {{"setIntensity:", "Float(1)"}})})},
        {"wrong type for the setter",
         configuration({entry("PipelineTestFilter", {{"setIntensity:", "CGPoint(1, 2)"}})})},
        {"bad array element", configuration({entry("PipelineTestFilter", {{"setValues:", Array{"float(1)", 2}}})})},
        {"number instead of a string", configuration({entry("PipelineTestFilter", {{"setIntensity:", 0.5}})})},
        {"action given as a setter", configuration({entry("PipelineTestFilter", {{"reset:", "float(1)"}})})},
        {"second entry bad", configuration({entry("PipelineTestFilter"), entry("PipelineTestFilter", {{"x:", "y"}})})},
    };
    for (const auto& [name, config] : cases) {
        gpuimagetest::LogCapture log;
        auto source = std::make_shared<GPUImageFilter>();
        auto stray = std::make_shared<gpuimagetest::RecordingTarget>();
        source->addTarget(stray);
        auto pipeline =
            GPUImageFilterPipeline::createWithConfiguration(config, source, std::make_shared<GPUImageFilter>());
        ASSERT_FALSE(pipeline) << name;
        EXPECT_EQ(pipeline.error().description, "Sorry, a parsing error occurred.") << name;
        EXPECT_EQ(pipeline.error().domain, kGPUImageFilterPipelineErrorDomain) << name;
        EXPECT_TRUE(log.contains("Sorry, a parsing error occurred.")) << name;
        EXPECT_EQ(source->targets(), (std::vector<std::shared_ptr<GPUImageInput>>{stray})) << name << ": not rewired";
    }
}

TEST(GPUImageFilterPipeline, ListChangesRewireAndFramesFlowThroughTheChain) {
    auto bytes = gpuimagetest::bgraPicture(2, 1, {gpuimagetest::labelColor(0), gpuimagetest::labelColor(1)});
    auto input = std::make_shared<GPUImageRawDataInput>(bytes.data(), Size{2, 1});
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{2, 1}, false);
    auto a = std::make_shared<GPUImageFilter>();
    auto b = std::make_shared<GPUImageFilter>();
    auto c = std::make_shared<GPUImageFilter>();
    auto pipeline = GPUImageFilterPipeline::create({a, b}, input, output);
    using Targets = std::vector<std::shared_ptr<GPUImageInput>>;
    auto chainIs = [&](const std::vector<std::shared_ptr<GPUImageFilter>>& chain) {
        std::shared_ptr<GPUImageOutput> previous = input;
        for (const auto& filter : chain) {
            if (previous->targets() != Targets{filter}) return false;
            previous = filter;
        }
        return previous->targets() == Targets{output};
    };
    EXPECT_TRUE(chainIs({a, b}));
    EXPECT_TRUE(pipeline->currentFilteredFrame().isNull()) << "nothing drawn yet";
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(gpuimagetest::readPixels(*output),
              (std::vector<std::array<uint8_t, 4>>{gpuimagetest::labelColor(0), gpuimagetest::labelColor(1)}));
    graphics::Image frame = pipeline->currentFilteredFrameWithOrientation(graphics::ImageOrientation::Up);
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.pixelWidth(), 2);

    pipeline->addFilter(c, 1);
    EXPECT_TRUE(chainIs({a, c, b}));
    auto d = std::make_shared<GPUImageFilter>();
    pipeline->replaceFilterAtIndex(0, d);
    EXPECT_TRUE(chainIs({d, c, b}));
    pipeline->replaceAllFilters({c, a});
    EXPECT_TRUE(chainIs({c, a}));
    pipeline->removeFilterAtIndex(0);
    EXPECT_TRUE(chainIs({a}));
    pipeline->addFilter(c);
    EXPECT_TRUE(chainIs({a, c}));
    pipeline->removeFilterAtIndex(9);  // out of range: nothing changes
    EXPECT_TRUE(chainIs({a, c}));
    pipeline->removeAllFilters();
    EXPECT_TRUE(chainIs({}));
    EXPECT_TRUE(pipeline->currentFilteredFrame().isNull());
}

TEST(GPUImageFilterPipeline, ConfigurationFromAPropertyListFile) {
    registerTestFilters();
    testsupport::RunFolder folder("tollivar-pipeline");
    const std::string path = folder.path() + "/pipeline.plist";
    ASSERT_TRUE(foundation::plist::writeFile(
        configuration({entry("PipelineTestFilter", {{"setIntensity:", "float(0.75)"}})}), path));
    auto source = std::make_shared<GPUImageFilter>();
    auto pipeline = GPUImageFilterPipeline::createWithConfigurationFile(path, source, nullptr);
    ASSERT_TRUE(pipeline) << pipeline.error().description;
    ASSERT_EQ((*pipeline)->filters().size(), 1u);
    EXPECT_EQ(testFilter((*pipeline)->filters()[0])->intensity, 0.75);
    EXPECT_TRUE((*pipeline)->filters()[0]->targets().empty()) << "no output";

    ASSERT_TRUE(foundation::plist::writeFile(Array{"not", "a dictionary"}, path));
    auto refused = GPUImageFilterPipeline::createWithConfigurationFile(path, source, nullptr);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().description, "Sorry, a parsing error occurred.");
    EXPECT_FALSE(
        GPUImageFilterPipeline::createWithConfigurationFile(folder.path() + "/missing.plist", source, nullptr));
}

// The library's own filters are there by name: a brightness step read from
// a configuration brightens what flows through.
TEST(GPUImageFilterPipeline, BuiltInFiltersAreRegistered) {
    for (const char* name : {"GPUImageFilter", "GPUImageBrightnessFilter", "GPUImageChromaKeyBlendFilter",
                             "GPUImageBuffer", "GPUImageAverageColor"})
        EXPECT_TRUE(GPUImageFilterRegistry::shared().hasClass(name)) << name;
    auto bytes = gpuimagetest::bgraPicture(1, 1, {{100, 100, 100, 255}});
    auto input = std::make_shared<GPUImageRawDataInput>(bytes.data(), Size{1, 1});
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{1, 1}, false);
    auto pipeline = GPUImageFilterPipeline::createWithConfiguration(
        configuration({entry("GPUImageBrightnessFilter", {{"setBrightness:", "float(0.25)"}}),
                       entry("GPUImageChromaKeyBlendFilter", {{"setSmoothing:", "float(0.2)"}})}),
        input, output);
    ASSERT_TRUE(pipeline);
    (*pipeline)->removeFilterAtIndex(1);  // the blend waits for a second input
    gpuimagetest::pushAndWait(*input);
    auto pixels = gpuimagetest::readPixels(*output);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_NEAR(pixels[0][0], 164, 1);
    EXPECT_NEAR(pixels[0][2], 164, 1);
}
