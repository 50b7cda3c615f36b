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

// Begins the pass on the spare cores, for the run layer to call as soon as
// the directory is built (and, for versions 1.2/2.0, the main sections are
// parsed): the helpers scan while the header checks run, and the first
// family that asks joins them. Nothing happens for a single thread or small
// data: then the first family that asks makes the whole pass.
void startDataPass(const FileView& file);

// The facts of the data section that begins at `row`, or nullptr.
const las::SectionFacts* dataFactsOf(const FileView& file, const las::SectionRow& row);

// The text of the line a fact points at, as a line reader hands it.
std::string lineTextAt(const FileView& file, const las::LineRef& line);

}  // namespace korrivan::checks
