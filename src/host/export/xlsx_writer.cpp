// XlsxWriter: cells go to the sheet as they come; only the widths wait for close(),
// because a column is as wide as its widest text. Numbers are written as numbers and
// dates as date serials under a date format, never as the texts a grid shows.
#include "host/export/xlsx_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <optional>

#include "core/date_time.h"

namespace host {

namespace {

constexpr int kMinWidth = 6;
constexpr int kMaxWidth = 60;

// A number the value holds or its text reads as in full; none for other texts.
std::optional<double> numberOf(const core::Value& v) {
  switch (v.type()) {
    case core::ValueType::Integer:
    case core::ValueType::Float:
    case core::ValueType::Currency:
    case core::ValueType::Boolean:
      return v.asFloat();
    case core::ValueType::Text: {
      const std::string s = v.asText();
      double d = 0;
      const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
      if (ec == std::errc() && end == s.data() + s.size() && !s.empty()) return d;
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

std::optional<core::DateTime> dateOf(const core::Value& v) {
  std::optional<core::DateTime> d;
  if (v.type() == core::ValueType::DateTime) d = v.asDateTime();
  if (v.type() == core::ValueType::Text) d = core::DateTime::parse(v.asText());
  if (d && d->year() < 1900) return std::nullopt;  // before a sheet's first serial
  return d;
}

}  // namespace

struct XlsxWriter::Book {
  lxw_workbook* workbook = nullptr;
  lxw_worksheet* sheet = nullptr;
  lxw_format *header = nullptr, *money = nullptr, *date = nullptr, *dateTime = nullptr;
  std::vector<SheetColumn> columns;
  std::vector<int> widths;
  lxw_row_t row = 0;
  lxw_error error = LXW_NO_ERROR;

  void keep(lxw_error e) {
    if (error == LXW_NO_ERROR) error = e;
  }
  void widen(std::size_t col, int width) { widths[col] = std::max(widths[col], width); }
  void writeCell(lxw_col_t col, const core::Value& v);
};

void XlsxWriter::Book::writeCell(lxw_col_t col, const core::Value& v) {
  const SheetCellKind kind = columns[col].kind;
  if (kind == SheetCellKind::Date) {
    if (const std::optional<core::DateTime> d = dateOf(v)) {
      const bool timed = d->hour() != 0 || d->minute() != 0 || d->second() != 0;
      lxw_datetime at = {d->year(), d->month(),  d->day(),
                         d->hour(), d->minute(), static_cast<double>(d->second())};
      keep(worksheet_write_datetime(sheet, row, col, &at, timed ? dateTime : date));
      widen(col, timed ? 19 : 10);
      return;
    }
  } else if (kind != SheetCellKind::Text) {
    if (const std::optional<double> n = numberOf(v)) {
      keep(worksheet_write_number(sheet, row, col, *n,
                                  kind == SheetCellKind::Money ? money : nullptr));
      widen(col, static_cast<int>(v.asText().size()) + (kind == SheetCellKind::Money ? 6 : 0));
      return;
    }
  }
  const std::string text = v.asText();
  keep(worksheet_write_string(sheet, row, col, text.c_str(), nullptr));
  widen(col, displayWidth(text));
}

XlsxWriter::XlsxWriter(const std::string& path, const std::string& sheetName,
                       std::vector<SheetColumn> columns)
    : book_(std::make_unique<Book>()) {
  Book& b = *book_;
  b.columns = std::move(columns);
  b.widths.assign(b.columns.size(), kMinWidth);
  b.workbook = workbook_new(path.c_str());
  if (b.workbook == nullptr) {
    b.error = LXW_ERROR_CREATING_XLSX_FILE;
    return;
  }
  b.sheet = workbook_add_worksheet(b.workbook, sheetName.empty() ? nullptr : sheetName.c_str());
  if (b.sheet == nullptr) b.sheet = workbook_add_worksheet(b.workbook, nullptr);  // a bad name
  b.header = workbook_add_format(b.workbook);
  format_set_bold(b.header);
  b.money = workbook_add_format(b.workbook);
  format_set_num_format(b.money, "#,##0.0000");
  b.date = workbook_add_format(b.workbook);
  format_set_num_format(b.date, "yyyy-mm-dd");
  b.dateTime = workbook_add_format(b.workbook);
  format_set_num_format(b.dateTime, "yyyy-mm-dd hh:mm:ss");
  for (std::size_t c = 0; c < b.columns.size(); ++c) {
    b.keep(worksheet_write_string(b.sheet, 0, static_cast<lxw_col_t>(c),
                                  b.columns[c].caption.c_str(), b.header));
    b.widen(c, displayWidth(b.columns[c].caption));
  }
  worksheet_freeze_panes(b.sheet, 1, 0);
  b.row = 1;
}

XlsxWriter::~XlsxWriter() {
  if (book_->workbook != nullptr) close();
}

void XlsxWriter::addRow(const std::vector<core::Value>& values) {
  Book& b = *book_;
  if (b.sheet == nullptr) return;
  for (std::size_t c = 0; c < values.size() && c < b.columns.size(); ++c)
    if (!values[c].isNull()) b.writeCell(static_cast<lxw_col_t>(c), values[c]);
  ++b.row;
}

std::string XlsxWriter::close() {
  Book& b = *book_;
  if (b.workbook == nullptr) return b.error == LXW_NO_ERROR ? "" : lxw_strerror(b.error);
  for (std::size_t c = 0; c < b.widths.size(); ++c)
    worksheet_set_column(b.sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                         std::min(b.widths[c] + 2, kMaxWidth), nullptr);
  b.keep(workbook_close(b.workbook));
  b.workbook = nullptr;
  return b.error == LXW_NO_ERROR ? "" : lxw_strerror(b.error);
}

int XlsxWriter::displayWidth(const std::string& text) {
  int width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte of the same character
    width += c >= 0xE0 ? 2 : 1;        // three bytes and more: CJK and other wide text
  }
  return width;
}

}  // namespace host
