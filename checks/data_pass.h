#pragma once
// The families' way to the facts of the data sections: one pass over every
// data section of the file gathers them the first time a family asks, and
// the run's file view keeps them for the families after it. The pass knows
// what the families will ask (the delimiter, the lines per depth record the
// wrap detection gives, the WRAP line-length limits); a family that asks
// for something the facts do not cover walks the section itself, as it does
// when the pass could not be made.
#include "checks/certify_run.h"
#include "las/data_facts.h"

namespace korrivan::checks {

// The facts of the data section that begins at `row`, or nullptr.
const las::SectionFacts* dataFactsOf(const FileView& file, const las::SectionRow& row);

// The text of the line a fact points at, as a line reader hands it.
std::string lineTextAt(const FileView& file, const las::LineRef& line);

}  // namespace korrivan::checks
