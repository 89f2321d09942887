#pragma once

// The filter classes a pipeline configuration may name, and the operations
// it may call on them, by name: C++ has no run-time lookup of classes and
// member functions, so each filter class registers a factory and its
// operations here. Filter libraries built on the pipeline add their own
// classes the same way:
//
//     auto& registry = GPUImageFilterRegistry::shared();
//     registry.registerClass<MyFilter>("MyFilter", "GPUImageFilter");
//     registry.registerOperation("MyFilter", "setIntensity:", &MyFilter::setIntensity);
//     registry.registerOperation("MyFilter", "reset", &MyFilter::reset);
//
// An operation of a superclass is found for its subclasses. Any thread.

#include "platform/graphics/Geometry.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace gpuimage {

class GPUImageOutput;

// One element of an array attribute: a number or a point.
using GPUImageAttributeElement = std::variant<double, graphics::Point>;
// What an operation receives: nothing, a number, a point, a string or an array.
using GPUImageAttributeArgument =
    std::variant<std::monostate, double, graphics::Point, std::string, std::vector<GPUImageAttributeElement>>;

enum class GPUImageAttributeKind { None, Number, Point, String, Array };

// The kind of argument an argument value is.
GPUImageAttributeKind attributeKindOf(const GPUImageAttributeArgument& argument);

class GPUImageFilterRegistry {
public:
    using Factory = std::function<std::shared_ptr<GPUImageOutput>()>;
    using Invoker = std::function<void(GPUImageOutput& filter, const GPUImageAttributeArgument& argument)>;

    struct Operation {
        GPUImageAttributeKind kind = GPUImageAttributeKind::None;
        Invoker invoke;
    };

    // Holds the pipeline's own filter classes from the start.
    static GPUImageFilterRegistry& shared();

    // A class made by `factory`, inheriting the operations of `superclass`.
    void registerClass(const std::string& name, Factory factory, const std::string& superclass = {});
    template <class Filter>
    void registerClass(const std::string& name, const std::string& superclass = {}) {
        registerClass(
            name, [] { return std::shared_ptr<GPUImageOutput>(std::make_shared<Filter>()); }, superclass);
    }

    // `selector` ends in ":" exactly when the operation takes an argument.
    void registerOperation(const std::string& className, const std::string& selector, GPUImageAttributeKind kind,
                           Invoker invoke);
    // A member function taking nothing, a number (float or double), a point,
    // a string or an array of elements.
    template <class Filter, class Argument>
    void registerOperation(const std::string& className, const std::string& selector,
                           void (Filter::*member)(Argument)) {
        using Plain = std::remove_cvref_t<Argument>;
        registerOperation(className, selector, kindFor<Plain>(),
                          [member](GPUImageOutput& filter, const GPUImageAttributeArgument& argument) {
                              auto* target = dynamic_cast<Filter*>(&filter);
                              if (!target) return;
                              if constexpr (std::is_arithmetic_v<Plain>)
                                  (target->*member)(static_cast<Plain>(std::get<double>(argument)));
                              else
                                  (target->*member)(std::get<Plain>(argument));
                          });
    }
    template <class Filter>
    void registerOperation(const std::string& className, const std::string& selector, void (Filter::*member)()) {
        registerOperation(className, selector, GPUImageAttributeKind::None,
                          [member](GPUImageOutput& filter, const GPUImageAttributeArgument&) {
                              if (auto* target = dynamic_cast<Filter*>(&filter)) (target->*member)();
                          });
    }

    bool hasClass(const std::string& name) const;
    // A new instance; null for a class not registered.
    std::shared_ptr<GPUImageOutput> make(const std::string& name) const;
    // The operation of the class or its nearest superclass that has it.
    std::optional<Operation> operation(const std::string& className, const std::string& selector) const;

private:
    GPUImageFilterRegistry() = default;

    template <class Plain>
    static constexpr GPUImageAttributeKind kindFor() {
        if constexpr (std::is_arithmetic_v<Plain>)
            return GPUImageAttributeKind::Number;
        else if constexpr (std::is_same_v<Plain, graphics::Point>)
            return GPUImageAttributeKind::Point;
        else if constexpr (std::is_same_v<Plain, std::string>)
            return GPUImageAttributeKind::String;
        else {
            static_assert(std::is_same_v<Plain, std::vector<GPUImageAttributeElement>>,
                          "an operation takes a number, a point, a string or an array of elements");
            return GPUImageAttributeKind::Array;
        }
    }

    struct ClassEntry {
        Factory factory;
        std::string superclass;
        std::map<std::string, Operation> operations;
    };

    mutable std::mutex mutex_;
    std::map<std::string, ClassEntry> classes_;
};

// Registers the filter classes of this library; called once by shared().
void registerBuiltInFilters(GPUImageFilterRegistry& registry);

}  // namespace gpuimage
