#pragma once
// How much memory a run may take: the machine's physical memory unless the
// caller sets a limit, and the byte counts of the messages that compare a
// run's needs with it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quel::memoria {

// The machine's physical memory in bytes (0 when the system does not say).
std::uint64_t fisica();

// The limit to apply: `limite` when above 0, else the physical memory, else
// no limit (the largest value).
std::uint64_t efectiva(std::uint64_t limite);

// A byte count as people read it: "812 bytes", "3.4 MB", "14.9 GB" (units
// of 1024).
std::string texto(long double bytes);

// A byte count as typed on a command line: whole bytes, or a whole or
// decimal number followed by K, M, G or T (units of 1024, either case, an
// optional trailing B). Empty when the text is not such a count or is 0.
std::optional<std::uint64_t> lee(std::string_view texto);

// Asks the system to back the whole 2 MB pages inside [p, p + bytes) with
// large pages as they are first written: a column of a continent's region
// then costs a few hundred page faults instead of hundreds of thousands.
// Only a hint: nothing changes where the system does not take it.
void paginasGrandes(const void* p, std::size_t bytes);

}  // namespace quel::memoria
