#pragma once
// What a certification holds at most, whatever the file holds: the limits
// that keep its time in proportion to the file and its memory within a fixed
// size. The headers of las/ and certify/ name them where they apply. The
// fuzzing build (KORRIVAN_FUZZ_LIMITS) makes them small, so that small
// inputs reach every one of them.
#include <cstddef>
#include <cstdint>

namespace korrivan::base::limits {

#ifndef KORRIVAN_FUZZ_LIMITS
inline constexpr std::size_t kSections = 4096;        // titles in the section directory
inline constexpr std::size_t kNameLength = 256;       // characters kept of a title's name
inline constexpr std::int64_t kSectionText = 1 << 20;  // bytes of a header section read into a table
inline constexpr std::size_t kSectionRows = 5000;     // lines of a header section read into a table
inline constexpr std::size_t kHeaderRows = 20000;     // ... of all header sections together
inline constexpr std::int64_t kHeaderText = 4 << 20;   // bytes of all header sections together
inline constexpr std::size_t kHeaderLine = 64 << 10;  // characters of a header line examined
inline constexpr std::size_t kCheckText = 1 << 20;    // bytes of one check's text
inline constexpr std::size_t kCheckFindings = 2000;   // findings kept with one check's text
inline constexpr std::size_t kFindingsBytes = 256 << 10;
inline constexpr std::size_t kReportPerCheck = 2 << 20;  // bytes of a report about one check
inline constexpr std::size_t kReportText = 8 << 20;      // bytes of a whole report, about
#else
inline constexpr std::size_t kSections = 24;
inline constexpr std::size_t kNameLength = 24;
inline constexpr std::int64_t kSectionText = 1024;
inline constexpr std::size_t kSectionRows = 24;
inline constexpr std::size_t kHeaderRows = 64;
inline constexpr std::int64_t kHeaderText = 4096;
inline constexpr std::size_t kHeaderLine = 200;
inline constexpr std::size_t kCheckText = 2048;
inline constexpr std::size_t kCheckFindings = 16;
inline constexpr std::size_t kFindingsBytes = 1024;
inline constexpr std::size_t kReportPerCheck = 3000;
inline constexpr std::size_t kReportText = 12000;
#endif

}  // namespace korrivan::base::limits
