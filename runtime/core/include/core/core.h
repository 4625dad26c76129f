// Runtime core: object registry, 16-bit text, threads and delay.
// Shared by the Linux and the Windows build; nothing here names a platform header.
#pragma once

#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------
// Object registry
// ---------------------------------------------------------------------------

// Object ids are pointer-sized: a number >= 0 chosen by the caller, or a
// dynamic handle (the address of the record) handed out for ANY.
using ObjectId = std::intptr_t;
inline constexpr ObjectId ANY = -1;

// Marker for a position, width or limit that is not given.
inline constexpr std::int32_t NOT_GIVEN = -65535;

using RegistryFreeCallback = void (*)(ObjectId id);

struct RegistryNode;

struct ObjectRegistry {
    std::int32_t object_size;           // bytes in one record
    std::int32_t grow_step;             // initial slots and extra slots on growth
    std::intptr_t capacity;             // slots in the numbered table
    void **slots;                       // record of each number, null when never used
    RegistryNode *dynamic_list;         // newest dynamic node
    RegistryFreeCallback free_callback; // destroys the object of an id; may be null
    std::intptr_t walk_position;        // next slot index of the current walk
    RegistryNode *walk_cursor;          // next dynamic node of the current walk
};

// Returns null when memory runs out.
ObjectRegistry *registry_create(std::int32_t object_size, std::int32_t grow_step,
                                RegistryFreeCallback free_callback);
// The record to fill in (zero-filled when new), or null when memory runs out or
// the id is below ANY.
void *registry_allocate(ObjectRegistry *registry, ObjectId id);
// The live record of id, or null. Ids that are neither a number below the
// capacity nor a handle this registry issued name nothing.
void *registry_get(ObjectRegistry *registry, ObjectId id);
void registry_free(ObjectRegistry *registry, ObjectId id);
void registry_free_all(ObjectRegistry *registry);
// Releases the registry with every record, without calling the free
// callback: for registries whose objects own nothing else.
void registry_destroy(ObjectRegistry *registry);
void registry_iterate(ObjectRegistry *registry);
// Next live record of the walk (numbers ascending, then dynamic records oldest
// first) and its id; null at the end.
void *registry_next(ObjectRegistry *registry, ObjectId *id);

// ---------------------------------------------------------------------------
// Text: zero-terminated 16-bit code units (UTF-16). Texts are values, so the
// event-loop thread and a worker can build texts at the same time. A text ends
// at its first 0 unit, whatever the string object holds beyond it.
// ---------------------------------------------------------------------------

using WideText = std::u16string;

inline constexpr std::int32_t TEXT_UTF8 = 2;
inline constexpr std::int32_t TEXT_8BIT = 24;
inline constexpr std::int32_t TEXT_UTF16 = 25;
inline constexpr std::int32_t CODE_PAGE_UTF8 = 65001;
inline constexpr std::int32_t CODE_PAGE_8BIT = 0;

std::int64_t text_length(const WideText &text);
int text_equal(const WideText &a, const WideText &b);
std::int32_t text_asc(const WideText &text);
WideText text_chr(std::int32_t code);
WideText text_str(std::int64_t value);
std::int64_t text_val(const WideText &text);
WideText text_right(const WideText &text, std::int32_t n);
WideText text_mid(const WideText &text, std::int32_t start, std::int32_t n);
WideText text_lcase(const WideText &text);
std::int64_t text_byte_length(const WideText &text, std::int32_t encoding);

// UTF-8 <-> WideText. A null string converts to the empty text.
std::string text_to_utf8(const WideText &text);
WideText text_from_utf8(const char *utf8);
// File names on POSIX systems are bytes, not always UTF-8. Each byte that is
// not part of a UTF-8 sequence is carried as the unit 0xDC00 + byte (a lone
// trailing surrogate, which no valid name decodes to), so a name from the
// system converts back to the same bytes.
std::string text_to_file_name(const WideText &text);
WideText text_from_file_name(const char *bytes);
// Conversions with explicit counts (-1 = through the terminator). Without a
// buffer they return the size needed; with one, the size written.
std::int64_t text_encode(std::int32_t code_page, const char16_t *text, std::int64_t units,
                         char *buffer, std::int64_t size);
std::int64_t text_decode(std::int32_t code_page, const char *bytes, std::int64_t count,
                         char16_t *buffer, std::int64_t size);
// printf-style formatting of a UTF-16 format text.
WideText text_format(const char16_t *format, ...);

// ---------------------------------------------------------------------------
// Threads and delay
// ---------------------------------------------------------------------------

using ThreadProcedure = void (*)(std::intptr_t argument);

void thread_init();
void thread_shutdown();
// Starts procedure(argument) on a new detached thread and returns at once.
// Linux: the thread id; Windows: the thread number 1, 2, 3 ...; 0 on failure.
std::intptr_t thread_create(ThreadProcedure procedure, std::intptr_t argument);
// Runs on every thread thread_create started, after its procedure returned
// (the GUI layer carries out there what the thread's last calls left to do);
// null for nothing.
using ThreadEndHook = void (*)();
void thread_set_end_hook(ThreadEndHook hook);
// Threads started by thread_create whose records are still kept: on Linux
// those whose procedure has not yet returned.
std::int32_t thread_count();
// Sleeps the calling thread; a negative value returns at once.
void delay_ms(std::int32_t ms);
