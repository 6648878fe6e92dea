// glewInit for an EGL context.
//
// CEGUI's OpenGL renderers call glewInit() while they are created and throw "failed to initialise
// the GLEW library" on any result but GLEW_OK. Debian builds GLEW for GLX only: in our EGL context
// its glewInit first loads every GL entry point, then fails in the GLX part with
// GLEW_ERROR_NO_GLX_DISPLAY (4), since no X display exists. This executable therefore defines
// glewInit itself (the dynamic linker binds CEGUI's call to the executable's definition first), calls
// GLEW's own, and accepts exactly that one error, once the entry points the renderer needs are
// loaded. Every other result, including the same error without the entry points, goes back to
// CEGUI unchanged. Under GLX (the window) GLEW's own result is GLEW_OK and passes through.
#include <GL/glew.h>
#include <dlfcn.h>

namespace {

using GlewInitFunction = GLenum (*)();

GlewInitFunction GlewsOwnInit() {
    static const auto function = reinterpret_cast<GlewInitFunction>(dlsym(RTLD_NEXT, "glewInit"));
    return function;
}

bool RendererEntryPointsLoaded() {
    return glGenVertexArrays != nullptr && glBindVertexArray != nullptr && glGenBuffers != nullptr &&
           glBufferData != nullptr && glCreateShader != nullptr && glLinkProgram != nullptr &&
           glUseProgram != nullptr && glUniformMatrix4fv != nullptr && glGenFramebuffers != nullptr &&
           glFramebufferTexture2D != nullptr && glBlendFuncSeparate != nullptr && glActiveTexture != nullptr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) GLenum glewInit() {
    const GlewInitFunction own = GlewsOwnInit();
    if (own == nullptr) {
        return GLEW_ERROR_NO_GL_VERSION;
    }
    const GLenum result = own();
    if (result == GLEW_ERROR_NO_GLX_DISPLAY && RendererEntryPointsLoaded()) {
        return GLEW_OK;
    }
    return result;
}
