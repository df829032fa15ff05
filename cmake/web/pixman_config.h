/* pixman_config.h -- pixman's config.h for Emscripten (wasm32, one thread), as its configure step would find it. */
#define PACKAGE "pixman"
#define SIZEOF_LONG 4
#define HAVE_BUILTIN_CLZ 1
#define HAVE_GCC_VECTOR_EXTENSIONS 1
#define TOOLCHAIN_SUPPORTS_ATTRIBUTE_CONSTRUCTOR 1
/* One thread: pixman's per-thread caches are plain statics. */
#define PIXMAN_NO_TLS 1
