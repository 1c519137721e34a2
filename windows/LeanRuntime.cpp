// Takes the places of parts of the C++ runtime that Quillet.exe would otherwise carry for nothing,
// to keep the download small:
// - the default terminate handler, which prints the escaping exception's type name to a console
//   this program does not have, with a 46 KB name demangler to do it;
// - the throw helpers of the standard containers and strings, whose exception classes hold
//   reference-counted strings and bring in two whole instantiations of std::string, some 85 KB (in
//   the 32-bit program the linker keeps every function whose unwind entry it keeps).
// The program catches no standard exception by type: every one ends in the same report where the
// window procedure catches it, so a plain exception with the runtime's text does as well.
//
// Should the link report one of these helpers defined twice (multiple definition of
// `std::__throw_...'), the code has come to use another throw helper that lives in the same object
// of the runtime as those here: define that one here as well, as the others are.
#include <bits/functexcept.h>  // the throw helpers, as the runtime declares them

#include <cstdlib>
#include <exception>
#include <new>

void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }

namespace {
class LibraryError : public std::exception {
public:
    // The runtime passes string literals only.
    explicit LibraryError(const char* what) : m_what(what) {}
    const char* what() const noexcept override { return m_what; }

private:
    const char* m_what;
};
}  // namespace

void std::__throw_bad_alloc() { throw std::bad_alloc(); }
void std::__throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void std::__throw_length_error(const char* what) { throw LibraryError(what); }
void std::__throw_logic_error(const char* what) { throw LibraryError(what); }
void std::__throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
