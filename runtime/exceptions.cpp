// C++ exceptions in the MSVC-ABI flavour. Exceptions are thrown and unwound by msvcrt.dll (_CxxThrowException, __CxxFrameHandler3), which
// every Windows version ships. libc++ keeps its own std::exception classes (their out-of-line
// members are here); the compiler's type descriptors, which exception matching compares by name,
// point at the vftable of Microsoft's ::type_info, which this module supplies for itself.
#include <windows.h>
#include <cstdlib>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace {

struct TypeDescriptorVtable {
    void (*scalarDeletingDestructor)();
};

void NoDestruction() {}

} // namespace

extern "C" const TypeDescriptorVtable typeInfoVftable __asm__("??_7type_info@@6B@") = {NoDestruction};

// A noexcept function that throws, or an exception nobody catches, ends the process at once.
extern "C" [[noreturn]] void __std_terminate()
{
    std::terminate();
}

namespace std {

[[noreturn]] void terminate() noexcept
{
    abort();
}

exception::~exception() noexcept = default;
const char* exception::what() const noexcept { return "std::exception"; }

bad_alloc::bad_alloc() noexcept = default;
bad_alloc::~bad_alloc() noexcept = default;
const char* bad_alloc::what() const noexcept { return "std::bad_alloc"; }

bad_array_new_length::bad_array_new_length() noexcept = default;
bad_array_new_length::~bad_array_new_length() noexcept = default;
const char* bad_array_new_length::what() const noexcept { return "bad_array_new_length"; }

[[noreturn]] void __throw_bad_alloc()
{
    throw bad_alloc();
}

// The message of a logic error, shared by its copies: a reference count, then the characters.
inline namespace __1 {

namespace {

LONG* CountOf(const char* message)
{
    return reinterpret_cast<LONG*>(const_cast<char*>(message)) - 2;
}

} // namespace

__libcpp_refstring::__libcpp_refstring(const char* message)
{
    const size_t length = strlen(message);
    auto* block = static_cast<LONG*>(::operator new(2 * sizeof(LONG) + length + 1));
    block[0] = 1;
    char* text = reinterpret_cast<char*>(block + 2);
    memcpy(text, message, length + 1);
    __imp_ = text;
}

__libcpp_refstring::__libcpp_refstring(const __libcpp_refstring& other) noexcept : __imp_(other.__imp_)
{
    InterlockedIncrement(CountOf(__imp_));
}

__libcpp_refstring& __libcpp_refstring::operator=(const __libcpp_refstring& other) noexcept
{
    InterlockedIncrement(CountOf(other.__imp_));
    this->~__libcpp_refstring();
    __imp_ = other.__imp_;
    return *this;
}

__libcpp_refstring::~__libcpp_refstring()
{
    if (InterlockedDecrement(CountOf(__imp_)) == 0)
        ::operator delete(CountOf(__imp_));
}

} // namespace __1

logic_error::logic_error(const char* message) : __imp_(message) {}
logic_error::logic_error(const string& message) : __imp_(message.c_str()) {}
logic_error::logic_error(const logic_error&) noexcept = default;
logic_error& logic_error::operator=(const logic_error&) noexcept = default;
logic_error::~logic_error() noexcept = default;
const char* logic_error::what() const noexcept { return __imp_.c_str(); }
length_error::~length_error() noexcept = default;
out_of_range::~out_of_range() noexcept = default;

} // namespace std

