#include "platform/gl/Context.h"
#include "platform/gl/Es1.h"
#include "platform/gl/ReadBack.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

struct CountingDeleter {
    static inline std::vector<gl::Name> deleted;
    void operator()(gl::Name name) const { deleted.push_back(name); }
};

TEST(GlHandle, DeletesEachNameOnceAcrossMovesAndResets) {
    using H = gl::Handle<CountingDeleter>;
    CountingDeleter::deleted.clear();
    {
        H a(7);
        H b(std::move(a));
        EXPECT_EQ(a.get(), 0u);
        H c(9);
        c = std::move(b);  // 9 goes, 7 moves in
        H empty;
        empty.reset();  // owns nothing: no call
        H kept(11);
        EXPECT_EQ(kept.release(), 11u);
    }
    EXPECT_EQ(CountingDeleter::deleted, (std::vector<gl::Name>{9, 7}));
}

TEST(GlContext, MakesEs1AndEs2ContextsOnTheSurfacelessDisplay) {
    // An ES 2 request may give a later, compatible version (3.2 on llvmpipe).
    struct Case {
        gl::Api api;
        const char* version;
    };
    for (Case c : {Case{gl::Api::Es1, "/ OpenGL ES-CM 1.1"}, Case{gl::Api::Es2, "/ OpenGL ES "}}) {
        auto context = gl::Context::create(c.api);
        ASSERT_TRUE(context.ok()) << context.error().description;
        ASSERT_TRUE((*context)->makeCurrent().ok());
        EXPECT_TRUE((*context)->isCurrent());
        EXPECT_NE(gl::Context::rendererDescription().find(c.version), std::string::npos)
            << gl::Context::rendererDescription();
        gl::Context::clearCurrent();
        EXPECT_FALSE((*context)->isCurrent());
    }
}

TEST(GlContext, RefusesToBeMadeCurrentOnAnotherThread) {
    auto context = gl::Context::create(gl::Api::Es1);
    ASSERT_TRUE(context.ok());
    foundation::Status elsewhere = foundation::Status::success();
    std::thread([&] { elsewhere = (*context)->makeCurrent(); }).join();
    ASSERT_FALSE(elsewhere.ok());
    EXPECT_EQ(elsewhere.error().domain, gl::kGLErrorDomain);
    EXPECT_EQ(elsewhere.error().code, gl::kGLErrorWrongThread);
    EXPECT_TRUE((*context)->makeCurrent().ok());
}

TEST(GlReadBack, ReturnsTheTopRowFirst) {
    auto context = gl::Context::create(gl::Api::Es1);
    ASSERT_TRUE(context.ok());
    ASSERT_TRUE((*context)->makeCurrent().ok());
    ASSERT_TRUE(gl::es1::loadExtensions().ok());
    const gl::es1::Extensions& ext = gl::es1::ext();
    gl::es1::Framebuffer framebuffer = gl::es1::makeFramebuffer();
    gl::es1::Renderbuffer colour = gl::es1::makeRenderbuffer();
    ext.bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer.get());
    ext.bindRenderbuffer(GL_RENDERBUFFER_OES, colour.get());
    ext.renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, 5, 3);
    ext.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, colour.get());
    ASSERT_EQ(ext.checkFramebufferStatus(GL_FRAMEBUFFER_OES), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE_OES));
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 2, 5, 1);  // GL row 2 is the top row
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    std::vector<uint8_t> pixels = gl::readRgbaTopRowFirst(5, 3);
    ASSERT_EQ(pixels.size(), 5u * 3 * 4);
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = &pixels[(row * 5 + x) * 4];
            std::array<int, 4> expected = row == 0 ? std::array{255, 0, 0, 255} : std::array{0, 0, 255, 255};
            EXPECT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}), expected) << row << "," << x;
        }
    }
}

}  // namespace
