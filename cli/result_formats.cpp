#include "cli/result_formats.h"

#include <nlohmann/json.hpp>

#include "base/file_names.h"
#include "base/text_utils.h"

namespace korrivan::cli {

namespace {

using Json = nlohmann::ordered_json;

const char* verdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::Passed: return "passed";
    case Verdict::Failed: return "failed";
    case Verdict::NotCertified: break;
  }
  return "not certified";
}

const char* outcomeWord(certify::Outcome outcome) {
  switch (outcome) {
    case certify::Outcome::Passed: return "passed";
    case certify::Outcome::Failed: return "failed";
    case certify::Outcome::NotPerformed: break;
  }
  return "not performed";
}

// The "Errors: " lines the report shows for a check.
std::vector<std::string> errorLines(const std::string& cellText) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = cellText.find("\r\n", from);
    lines.push_back(cellText.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return lines;
    from = at + 2;
  }
}

Json checkJson(const run::CheckResult& check) {
  Json out;
  out["id"] = checkId(check);
  out["name"] = check.name;
  out["outcome"] = outcomeWord(check.outcome);
  if (check.outcome == certify::Outcome::Passed) return out;
  out["errors"] = errorLines(check.cellText);
  Json findings = Json::array();
  for (const certify::Finding& f : check.findings) {
    Json finding;
    finding["message"] = f.message;
    if (f.line > 0) {
      finding["line"] = f.line;
      finding["line_text"] = f.lineText;
    }
    findings.push_back(std::move(finding));
  }
  out["findings"] = std::move(findings);
  return out;
}

std::string jsonLine(const FileResult& r) {
  Json out;
  out["schema"] = kJsonlSchema;
  out["path"] = r.path;
  out["size"] = r.size ? Json(*r.size) : Json(nullptr);
  out["version"] = r.version.empty() ? Json(nullptr) : Json(r.version);
  out["result"] = verdictWord(r.verdict);
  if (r.verdict == Verdict::NotCertified) {
    out["reason"] = Json{{"code", r.reasonCode}, {"message", r.reasonText}};
  } else {
    out["result_text"] = r.resultText;
  }
  if (r.firstFailure) {
    const FirstFailure& f = *r.firstFailure;
    out["first_failure"] = Json{{"group", f.group}, {"group_title", f.groupTitle}, {"id", f.id}, {"name", f.name}};
  } else {
    out["first_failure"] = nullptr;
  }
  if (!r.notLasReason.empty()) out["not_las"] = r.notLasReason;
  Json groups = Json::array();
  for (const run::GroupResult& g : r.groups) {
    Json checks = Json::array();
    for (const run::CheckResult& c : g.checks) checks.push_back(checkJson(c));
    groups.push_back(Json{{"group", g.number}, {"title", g.title}, {"checks", std::move(checks)}});
  }
  out["groups"] = std::move(groups);
  if (!r.reportPath.empty()) out["report"] = r.reportPath;
  if (!r.reportError.empty()) out["report_error"] = r.reportError;
  // Bytes that are not UTF-8 (a Latin-1 line of a LAS file) become U+FFFD.
  return out.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

// RFC 4180: a field with a comma, a quote or a line end is quoted, its quotes doubled.
std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  return "\"" + base::replaceAll(text, "\"", "\"\"") + "\"";
}

// The first error line of the first failed check, or the reason a file was not certified.
std::string leadingMessage(const FileResult& r) {
  if (r.verdict == Verdict::NotCertified) return r.reasonText;
  if (!r.firstFailure) return "";
  for (const run::GroupResult& g : r.groups)
    for (const run::CheckResult& c : g.checks)
      if (checkId(c) == r.firstFailure->id) return errorLines(c.cellText).front();
  return "";
}

std::string csvRow(const FileResult& r) {
  const std::string size = r.size ? std::to_string(*r.size) : "";
  const FirstFailure none;
  const FirstFailure& first = r.firstFailure ? *r.firstFailure : none;
  std::string row = csvField(r.path) + "," + size + "," + csvField(r.version) + "," + verdictWord(r.verdict) + "," +
                    csvField(r.reasonCode) + "," + first.id + "," + csvField(first.name) + "," +
                    csvField(base::trimSpaces(leadingMessage(r))) + "," + csvField(r.reportError);
  return row + "\r\n";
}

std::string textLine(const FileResult& r) {
  std::string line = base::printableName(r.path) + ": ";
  switch (r.verdict) {
    case Verdict::Passed: line += "PASSED (LAS " + r.version + ")"; break;
    case Verdict::Failed:
      line += r.version.empty() ? "FAILED" : "FAILED (LAS " + r.version + ")";
      if (r.firstFailure)
        line += " " + r.firstFailure->id + " " + r.firstFailure->name + ": " +
                base::printableName(base::trimSpaces(leadingMessage(r)));
      break;
    case Verdict::NotCertified: line += "NOT CERTIFIED: " + base::printableName(r.reasonText); break;
  }
  if (!r.notLasReason.empty()) line += " (" + r.notLasReason + ")";
  if (!r.reportError.empty()) line += " [no report: " + base::printableName(r.reportError) + "]";
  return line + "\n";
}

}  // namespace

std::string formatPreamble(OutputFormat format) {
  if (format == OutputFormat::Csv)
    return "path,size,version,result,reason,first_failure,check_name,message,report_error\r\n";
  return "";
}

std::string formatResult(const FileResult& result, OutputFormat format, bool quiet) {
  switch (format) {
    case OutputFormat::Jsonl: return jsonLine(result);
    case OutputFormat::Csv: return csvRow(result);
    case OutputFormat::Text: break;
  }
  if (quiet && result.verdict == Verdict::Passed && result.reportError.empty()) return "";
  return textLine(result);
}

std::string formatSummary(const RunCounts& counts, OutputFormat format) {
  if (format != OutputFormat::Text) return "";
  return std::to_string(counts.total()) + (counts.total() == 1 ? " file: " : " files: ") +
         std::to_string(counts.passed) + " passed, " + std::to_string(counts.failed) + " failed, " +
         std::to_string(counts.notCertified) + " not certified" +
         (counts.listed > counts.total()
              ? ", " + std::to_string(counts.listed - counts.total()) + " not started (--fail-fast)"
              : std::string()) +
         "\n";
}

}  // namespace korrivan::cli
