#include "platform/richtext/RtfReader.h"

#include "platform/richtext/RtfCodePage.h"
#include "platform/richtext/RtfListMarkers.h"
#include "platform/richtext/RtfPicture.h"

#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

namespace {

using ListLevel = RtfListLevel;
using PnLevel = RtfPnLevel;

// Bounds that keep hostile input harmless: twips of an indent or spacing
// (22 inches, what Windows allows), a font size in half-points (1638 points)
// and the shown size of a picture in pixels.
constexpr int kMaxTwips = 31680;
constexpr int kMaxHalfPoints = 3276;
constexpr int kMinHalfPoints = 2;
constexpr double kMaxPictureSide = 16384;
constexpr int kMaxFontNameLength = 256;
// Tab stops of one paragraph, cells of one table row (more are put into the
// last cell, after a tab), rows of one table (more start a table of their
// own) and the padding of a cell in pixels.
constexpr std::size_t kMaxTabs = 64;
constexpr int kMaxColumns = 64;
constexpr int kMaxRows = 4096;
constexpr double kMaxCellPadding = 20;
// Lists and list overrides a document may define, and the characters of a
// level's marker text.
constexpr std::size_t kMaxLists = 4096;
constexpr qsizetype kMaxLevelText = 64;

enum class Kw : std::uint8_t {
  Unknown,
  Ansi, Mac, Pc, Pca, Ansicpg, Deff,
  Fonttbl, Colortbl, Red, Green, Blue,
  Pict, PngBlip, JpegBlip, OtherBlip, PicW, PicH, PicWGoal, PicHGoal, PicScaleX, PicScaleY, Bin,
  Shppict, Shpinst, Sn, Sv, SkipDest,
  Plain, B, I, Ul, UlNone, Strike, Fs, F, Cf, Cb, Highlight, Super, Sub, NoSuperSub, Fcharset, Cpg,
  Par, Line, Tab, Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Tx, Tqr, Tqc, Tqdec, Deftab, ListText, Chftn,
  Trowd, Cellx, Trleft, Trgaph, Intbl, Itap, Cell, Row,
  ClBrdrT, ClBrdrL, ClBrdrB, ClBrdrR, TrBrdrT, TrBrdrL, TrBrdrB, TrBrdrR, TrBrdrH, TrBrdrV,
  BrdrLine, BrdrNone, BrdrW, BrdrCf, OtherBorder, ClMgf, ClMrg, ClVmgf, ClVmrg, ClCbpat,
  ListTable, List, ListId, ListLevel, LevelNfc, LevelStartAt, LevelText, LevelFollow, LevelNoRestart, LevelLegal,
  ListOverride, LfoLevel, OverrideStartAt, Ls, Ilvl, RtlPar, LtrPar,
  Pn, PnSecLvl, PnLvl, PnLvlBlt, PnLvlBody, PnLvlCont, PnDec, PnUcLtr, PnLcLtr, PnUcRm, PnLcRm, PnOrd, PnCard,
  PnOrdT, PnStart, PnF, PnFs, PnTxtB, PnTxtA,
  U, Uc,
  PageBreak,
  Emdash, Endash, Bullet, Lquote, Rquote, Ldblquote, Rdblquote, Emspace, Enspace, Qmspace,
  Zwj, Zwnj, Ltrmark, Rtlmark,
};

const std::unordered_map<std::string_view, Kw>& Keywords() {
  static const std::unordered_map<std::string_view, Kw> table = [] {
    std::unordered_map<std::string_view, Kw> t = {
        {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca}, {"ansicpg", Kw::Ansicpg},
        {"deff", Kw::Deff}, {"fonttbl", Kw::Fonttbl}, {"colortbl", Kw::Colortbl}, {"red", Kw::Red},
        {"green", Kw::Green}, {"blue", Kw::Blue}, {"pict", Kw::Pict}, {"pngblip", Kw::PngBlip},
        {"jpegblip", Kw::JpegBlip}, {"emfblip", Kw::OtherBlip}, {"wmetafile", Kw::OtherBlip},
        {"dibitmap", Kw::OtherBlip}, {"wbitmap", Kw::OtherBlip}, {"macpict", Kw::OtherBlip},
        {"pmmetafile", Kw::OtherBlip}, {"picw", Kw::PicW}, {"pich", Kw::PicH}, {"picwgoal", Kw::PicWGoal},
        {"pichgoal", Kw::PicHGoal}, {"picscalex", Kw::PicScaleX}, {"picscaley", Kw::PicScaleY},
        {"bin", Kw::Bin}, {"shppict", Kw::Shppict},
        {"shpinst", Kw::Shpinst}, {"sn", Kw::Sn}, {"sv", Kw::Sv}, {"plain", Kw::Plain}, {"b", Kw::B}, {"i", Kw::I},
        {"ul", Kw::Ul}, {"ulnone", Kw::UlNone}, {"strike", Kw::Strike}, {"striked", Kw::Strike},
        {"fs", Kw::Fs}, {"f", Kw::F}, {"cf", Kw::Cf}, {"cb", Kw::Cb}, {"chcbpat", Kw::Cb},
        {"highlight", Kw::Highlight}, {"super", Kw::Super}, {"sub", Kw::Sub}, {"nosupersub", Kw::NoSuperSub},
        {"fcharset", Kw::Fcharset}, {"cpg", Kw::Cpg},
        {"par", Kw::Par}, {"sect", Kw::PageBreak}, {"page", Kw::PageBreak}, {"nestrow", Kw::Par},
        {"line", Kw::Line}, {"tab", Kw::Tab}, {"nestcell", Kw::Tab}, {"pard", Kw::Pard},
        {"tx", Kw::Tx}, {"tqr", Kw::Tqr}, {"tqc", Kw::Tqc}, {"tqdec", Kw::Tqdec}, {"deftab", Kw::Deftab},
        {"listtext", Kw::ListText}, {"pntext", Kw::ListText}, {"chftn", Kw::Chftn},
        {"trowd", Kw::Trowd}, {"cellx", Kw::Cellx}, {"trleft", Kw::Trleft}, {"trgaph", Kw::Trgaph},
        {"intbl", Kw::Intbl}, {"itap", Kw::Itap}, {"cell", Kw::Cell}, {"row", Kw::Row},
        {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj}, {"li", Kw::Li}, {"ri", Kw::Ri},
        {"fi", Kw::Fi}, {"sb", Kw::Sb}, {"sa", Kw::Sa}, {"u", Kw::U}, {"uc", Kw::Uc},
        {"emdash", Kw::Emdash}, {"endash", Kw::Endash}, {"bullet", Kw::Bullet}, {"lquote", Kw::Lquote},
        {"rquote", Kw::Rquote}, {"ldblquote", Kw::Ldblquote}, {"rdblquote", Kw::Rdblquote},
        {"emspace", Kw::Emspace}, {"enspace", Kw::Enspace}, {"qmspace", Kw::Qmspace}, {"zwj", Kw::Zwj},
        {"zwnj", Kw::Zwnj}, {"ltrmark", Kw::Ltrmark}, {"rtlmark", Kw::Rtlmark},
    };
    // The kinds of underline all show as one underline.
    for (std::string_view w : {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                               "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave",
                               "ulw", "ulwave"}) {
      t.emplace(w, Kw::Ul);
    }
    // Borders of cells and rows, the list table, paragraph direction.
    for (const auto& [w, k] : std::initializer_list<std::pair<std::string_view, Kw>>{
             {"clbrdrt", Kw::ClBrdrT}, {"clbrdrl", Kw::ClBrdrL}, {"clbrdrb", Kw::ClBrdrB}, {"clbrdrr", Kw::ClBrdrR},
             {"trbrdrt", Kw::TrBrdrT}, {"trbrdrl", Kw::TrBrdrL}, {"trbrdrb", Kw::TrBrdrB}, {"trbrdrr", Kw::TrBrdrR},
             {"trbrdrh", Kw::TrBrdrH}, {"trbrdrv", Kw::TrBrdrV}, {"brdrnone", Kw::BrdrNone}, {"brdrnil", Kw::BrdrNone},
             {"brdrtbl", Kw::BrdrNone}, {"brdrw", Kw::BrdrW}, {"brdrcf", Kw::BrdrCf}, {"clmgf", Kw::ClMgf},
             {"clmrg", Kw::ClMrg}, {"clvmgf", Kw::ClVmgf}, {"clvmrg", Kw::ClVmrg}, {"clcbpat", Kw::ClCbpat},
             {"listtable", Kw::ListTable}, {"listoverridetable", Kw::ListTable}, {"list", Kw::List},
             {"listid", Kw::ListId}, {"listlevel", Kw::ListLevel}, {"levelnfc", Kw::LevelNfc},
             {"levelnfcn", Kw::LevelNfc}, {"levelstartat", Kw::LevelStartAt}, {"leveltext", Kw::LevelText},
             {"levelfollow", Kw::LevelFollow}, {"levelnorestart", Kw::LevelNoRestart},
             {"levellegal", Kw::LevelLegal}, {"listoverride", Kw::ListOverride}, {"lfolevel", Kw::LfoLevel},
             {"listoverridestartat", Kw::OverrideStartAt}, {"ls", Kw::Ls}, {"ilvl", Kw::Ilvl},
             {"rtlpar", Kw::RtlPar}, {"ltrpar", Kw::LtrPar}, {"pn", Kw::Pn}, {"pnseclvl", Kw::PnSecLvl},
             {"pnlvl", Kw::PnLvl}, {"pnlvlblt", Kw::PnLvlBlt}, {"pnlvlbody", Kw::PnLvlBody},
             {"pnlvlcont", Kw::PnLvlCont}, {"pndec", Kw::PnDec}, {"pnucltr", Kw::PnUcLtr}, {"pnlcltr", Kw::PnLcLtr},
             {"pnucrm", Kw::PnUcRm}, {"pnlcrm", Kw::PnLcRm}, {"pnord", Kw::PnOrd}, {"pncard", Kw::PnCard},
             {"pnordt", Kw::PnOrdT}, {"pnstart", Kw::PnStart}, {"pnf", Kw::PnF}, {"pnfs", Kw::PnFs},
             {"pntxtb", Kw::PnTxtB}, {"pntxta", Kw::PnTxtA}}) {
      t.emplace(w, k);
    }
    // Every line style draws as one line; borders of paragraphs, characters
    // and pages are not shown, and their words end a cell's border.
    for (std::string_view w : {"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair", "brdrdashsm",
                               "brdrdashd", "brdrdashdd", "brdrinset", "brdroutset", "brdrtriple", "brdrwavy",
                               "brdrwavydb", "brdrdashdotstr", "brdremboss", "brdrengrave", "brdrframe",
                               "brdrtnthsg", "brdrthtnsg", "brdrtnthtnsg", "brdrtnthmg", "brdrthtnmg",
                               "brdrtnthtnmg", "brdrtnthlg", "brdrthtnlg", "brdrtnthtnlg"}) {
      t.emplace(w, Kw::BrdrLine);
    }
    for (std::string_view w : {"brdrt", "brdrb", "brdrl", "brdrr", "brdrbtw", "brdrbar", "box", "chbrdr"}) {
      t.emplace(w, Kw::OtherBorder);
    }
    // Destinations whose text is not part of what the box shows: footnote
    // bodies, headers and footers too, as a rich-text control shows none of
    // them (a footnote's reference mark stays in the text).
    for (std::string_view w :
         {"stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
          "footerf", "footnote", "annotation", "fldinst", "falt", "nonshppict",
          "revtbl", "rsidtbl", "filetbl", "xmlnstbl", "template", "docvar",
          "atnid", "atnauthor", "atrfstart", "atrfend", "objdata", "objclass", "txe", "xe", "tc", "bkmkstart",
          "bkmkend", "pgdsctbl", "generator", "themedata", "colorschememapping", "datastore", "latentstyles",
          "mmathPr", "private", "userprops", "do", "comment", "fchars", "lchars", "pgdsc", "nonesttables",
          "nesttableprops", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn"}) {
      t.emplace(w, Kw::SkipDest);
    }
    return t;
  }();
  return table;
}

// Character formatting as the markup states it; fonts and colours are table
// numbers, resolved when the text is put into the document.
struct CharProps {
  std::int32_t font = -1;  // -1: the default font (\deff)
  std::int32_t halfPoints = 24;
  std::int32_t fg = -1;  // -1: automatic; else a colour table index
  std::int32_t bg = 0;   // 0: none
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  std::int8_t valign = 0;  // 0 none, 1 superscript, 2 subscript
  bool operator==(const CharProps&) const = default;
};

struct CharPropsHash {
  std::size_t operator()(const CharProps& c) const {
    std::size_t h = std::hash<std::int32_t>()(c.font);
    h = h * 31 + std::hash<std::int32_t>()(c.halfPoints);
    h = h * 31 + std::hash<std::int32_t>()(c.fg);
    h = h * 31 + std::hash<std::int32_t>()(c.bg);
    return h * 31 + (c.bold | c.italic << 1 | c.underline << 2 | c.strike << 3 | c.valign << 4);
  }
};

struct TabStop {
  std::int32_t twips = 0;  // from the left margin, as the markup measures them
  QTextOption::TabType type = QTextOption::LeftTab;
  bool operator==(const TabStop&) const = default;
};

struct ParaProps {
  std::int8_t align = 0;  // 0 left, 1 centre, 2 right, 3 justified
  std::int32_t li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
  bool intbl = false;
  std::vector<TabStop> tabs;
  // Numbered through the list table: the list override (0: none) and the
  // level; a list level's indents stand where the paragraph gives none.
  std::int32_t ls = 0;
  std::int8_t ilvl = 0;
  bool indented = false;
  bool rtl = false;
  PnLevel pn;
  bool operator==(const ParaProps&) const = default;
};

// A shape's instructions show nothing but the picture that is its "pib"
// property: ShapeName collects a property's name, ShapePicture is the value
// group of "pib".
// ListTable holds the list and list override tables, LevelText a level's
// marker text; Pn is a paragraph's numbering, PnText its text before or
// after the number.
enum class Dest : std::uint8_t {
  Text, FontTable, ColorTable, Picture, Shape, ShapeName, ShapePicture, ListTable, LevelText, Pn, PnText
};

struct State {
  CharProps chr;
  ParaProps para;
  std::int32_t uc = 1;
  Dest dest = Dest::Text;
  QTextOption::TabType tabType = QTextOption::LeftTab;  // of the next \tx
  // The list number or bullet the markup spells out; its \pard belongs to
  // the marker's own group, not to the item's paragraph.
  bool listText = false;
};

// A border as a row or cell definition names it.
struct Border {
  std::int8_t kind = 0;     // 0 not named, 1 named as none, 2 a line
  std::int16_t width = 0;   // twips
  std::int32_t colour = 0;  // colour table index, 0 automatic
  bool operator==(const Border&) const = default;
};

// A cell of a row definition: its right edge and what the markup says of
// it; once the row is in a table, the columns of the table's grid it covers.
struct CellDef {
  std::int32_t right = 0;
  int column = -1;  // -1: no place of its own, it follows the cell before it
  int span = 1;
  std::int8_t vmerge = 0;  // 1 first of cells merged downwards, 2 merged with the one above
  std::int8_t hmerge = 0;  // 1 first of cells merged across, 2 merged with the one before
  std::int32_t shade = 0;  // colour table index, 0 none
  std::array<Border, 4> sides{};  // top, left, bottom, right
  bool operator==(const CellDef&) const = default;
};

struct RowDef {
  std::vector<CellDef> cells;
  std::array<Border, 6> sides{};  // top, left, bottom, right, inner horizontal, inner vertical
  bool operator==(const RowDef&) const = default;
};

// The table being read: its rows grow by doubling, so that a long table is
// built in linear time, and the rows and columns not used are taken away at
// its end. Cells stand in a grid of columns made from every row's cell
// edges; a cell covering several columns, and cells merged, are joined when
// the table ends.
struct TableBuild {
  QTextTable* table = nullptr;
  int rows = 0, columns = 0;  // in the table, used or not
  int row = 0, cell = 0;      // where the text goes
  int usedColumns = 1;
  bool cellEnded = false;  // \cell seen: the next text opens the next cell
  bool rowEnded = false;   // \row seen: the next text opens the next row
  double padding = -1;
  std::vector<std::int32_t> bounds;  // the grid's column boundaries in twips
  std::vector<RowDef> defs;          // the row definitions used, in the grid
  std::vector<std::uint32_t> rowDefs;  // of each row, its definition
  RowDef lastSource;                   // the last definition as the markup gave it
  std::int32_t lastLeft = 0;
};

struct ListDef {
  std::int32_t id = 0;
  std::array<ListLevel, 9> levels{};
  int count = 0;
};

// What a list override changes in the list: a level restarted at its first
// use, or a level of its own.
struct LfoLevel {
  bool restart = false;
  std::int32_t startAt = -1;
  bool hasLevel = false;
  ListLevel level;
};

struct ListOverride {
  std::int32_t listId = 0;
  std::int32_t ls = 0;
  std::array<LfoLevel, 9> lfo{};
  int count = 0;
  std::array<bool, 9> restarted{};
};

struct ListCount {
  std::array<std::int32_t, 9> number{};
  std::array<bool, 9> started{};
};

enum class Blip : std::uint8_t { None, Png, Jpeg, Other };

struct Picture {
  Blip blip = Blip::None;
  std::int32_t picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
  QByteArray data;
  int pendingNibble = -1;
};

bool IsLetter(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char16_t c) { return c >= '0' && c <= '9'; }
int HexValue(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A character that can go into the text as it stands, in a run.
bool IsPlainRunChar(char16_t c, bool bytes) {
  if (c < 0x20 || c == '\\' || c == '{' || c == '}') return false;
  if (c < 0x80) return true;
  if (bytes) return false;
  return !(c >= 0xD800 && c <= 0xDFFF) && c != 0x2028 && c != 0x2029 && c != 0xFDD0 && c != 0xFDD1 &&
         c != 0xFFFC && c < 0xFFFE;
}

class Reader {
 public:
  Reader(QTextDocument& document, const QFont& baseFont, bool bytes)
      : doc_(document), baseFont_(baseFont), bytes_(bytes), cursor_(&document), codePage_(SharedCodePage(1252)) {}

  void Run(QStringView input) {
    p_ = input.utf16();
    end_ = p_ + input.size();
    doc_.clear();
    cursor_ = QTextCursor(&doc_);
    cursor_.beginEditBlock();
    stack_.reserve(64);
    stack_.emplace_back();
    while (p_ < end_ && !done_) {
      const char16_t c = *p_++;
      switch (c) {
        case '{': OpenGroup(); break;
        case '}': CloseGroup(); break;
        case '\\': Control(); break;
        case '\r':
        case '\n': break;
        default: Literal(c); break;
      }
    }
    Finish();
  }

 private:
  State& Cur() { return stack_.back(); }

  // ---- groups -------------------------------------------------------------

  void OpenGroup() {
    FlushBytes();
    ignorable_ = false;
    ucSkip_ = 0;
    if (overflow_ > 0 || static_cast<int>(stack_.size()) > kRtfMaxGroupDepth) {
      ++overflow_;
      return;
    }
    stack_.push_back(stack_.back());
  }

  void CloseGroup() {
    FlushBytes();
    ignorable_ = false;
    ucSkip_ = 0;
    if (overflow_ > 0) {
      --overflow_;
      return;
    }
    if (Cur().dest == Dest::Picture && static_cast<int>(stack_.size()) == pictDepth_) FinishPicture();
    if (Cur().dest == Dest::FontTable) FinishFontEntry();
    if (Cur().dest == Dest::ListTable || Cur().dest == Dest::LevelText) ListGroupEnds();
    if (Cur().dest == Dest::Pn || Cur().dest == Dest::PnText) PnGroupEnds();
    if (stack_.size() <= 2) {  // the document's own group: nothing after it counts
      done_ = true;
      return;
    }
    stack_.pop_back();
  }

  // Skips to the end of the current group without looking inside it.
  void SkipGroup() {
    int depth = 1;
    while (p_ < end_) {
      const char16_t c = *p_++;
      if (c == '\\') {
        if (p_ >= end_) break;
        if (end_ - p_ > 3 && p_[0] == 'b' && p_[1] == 'i' && p_[2] == 'n' && IsDigit(p_[3])) {
          p_ += 3;
          SkipBinary(ReadNumber());
        } else {
          ++p_;
        }
      } else if (c == '{') {
        ++depth;
      } else if (c == '}' && --depth == 0) {
        CloseGroup();
        return;
      }
    }
  }

  // ---- control words and symbols ------------------------------------------

  std::int64_t ReadNumber() {
    std::int64_t value = 0;
    while (p_ < end_ && IsDigit(*p_)) {
      if (value < 10'000'000'000) value = value * 10 + (*p_ - '0');
      ++p_;
    }
    if (p_ < end_ && *p_ == ' ') ++p_;
    return value;
  }

  void SkipBinary(std::int64_t count) {
    const std::int64_t left = end_ - p_;
    p_ += std::min(std::max<std::int64_t>(count, 0), left);
  }

  void Control() {
    if (p_ >= end_) return;
    const char16_t c = *p_;
    if (!IsLetter(c)) {
      ++p_;
      Symbol(c);
      return;
    }
    char name[33];
    int length = 0;
    while (p_ < end_ && IsLetter(*p_)) {
      if (length < 32) name[length++] = static_cast<char>(*p_);
      ++p_;
    }
    bool negative = false;
    bool hasParam = false;
    if (p_ + 1 < end_ && *p_ == '-' && IsDigit(p_[1])) {
      negative = true;
      ++p_;
    }
    std::int64_t value = 0;
    if (p_ < end_ && IsDigit(*p_)) hasParam = true;
    while (p_ < end_ && IsDigit(*p_)) {
      if (value < 10'000'000'000) value = value * 10 + (*p_ - '0');
      ++p_;
    }
    if (p_ < end_ && *p_ == ' ') ++p_;
    if (negative) value = -value;
    const auto param = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -2147483647, 2147483647));
    const auto& keywords = Keywords();
    const auto it = keywords.find(std::string_view(name, length));
    const Kw kw = it == keywords.end() ? Kw::Unknown : it->second;
    FlushBytes();
    if (ucSkip_ > 0) {  // a control word stands for one character of the fallback
      --ucSkip_;
      if (kw == Kw::Bin) SkipBinary(param);
      ignorable_ = false;
      return;
    }
    if (ignorable_) {
      ignorable_ = false;
      if (kw != Kw::Shppict && kw != Kw::Shpinst && kw != Kw::ListTable && kw != Kw::Pn && kw != Kw::PnSecLvl &&
          kw != Kw::PnTxtB && kw != Kw::PnTxtA) {
        SkipGroup();
        return;
      }
    }
    Word(kw, hasParam, param);
  }

  void Symbol(char16_t c) {
    if (c == '\'') {
      int hi = p_ < end_ ? HexValue(*p_) : -1;
      if (hi < 0) return;
      ++p_;
      int lo = p_ < end_ ? HexValue(*p_) : -1;
      int byte = hi;
      if (lo >= 0) {
        ++p_;
        byte = hi * 16 + lo;
      }
      ignorable_ = false;
      if (ucSkip_ > 0) {
        --ucSkip_;
        return;
      }
      Byte(static_cast<unsigned char>(byte));
      return;
    }
    if (lead_ >= 0 && ucSkip_ == 0 && (c == '\\' || c == '{' || c == '}')) {
      ignorable_ = false;
      Byte(static_cast<unsigned char>(c));  // the trail byte of a double-byte character
      return;
    }
    FlushBytes();
    if (ucSkip_ > 0) {
      --ucSkip_;
      return;
    }
    switch (c) {
      case '*': ignorable_ = true; return;
      case '\\':
      case '{':
      case '}': ignorable_ = false; Char(c); return;
      case '~': ignorable_ = false; Char(0x00A0); return;
      case '_': ignorable_ = false; Char(0x2011); return;
      case '-': ignorable_ = false; Char(0x00AD); return;
      case '\r':
      case '\n': ignorable_ = false; Paragraph(); return;
      default: ignorable_ = false; return;  // \| \: and the rest show nothing
    }
  }

  void Word(Kw kw, bool hasParam, std::int32_t param) {
    State& s = Cur();
    const bool on = !hasParam || param != 0;
    const auto twips = [&](int lo) { return std::clamp(param, lo, kMaxTwips); };
    switch (kw) {
      case Kw::Unknown: return;
      case Kw::Ansi: SetCodePage(1252); return;
      case Kw::Mac: SetCodePage(10000); return;
      case Kw::Pc: SetCodePage(437); return;
      case Kw::Pca: SetCodePage(850); return;
      case Kw::Ansicpg: SetCodePage(param); return;
      case Kw::Deff: deff_ = std::max(param, 0); formats_.clear(); fontPage_ = nullptr; return;
      case Kw::Fonttbl: EnterDestination(Dest::FontTable); return;
      case Kw::Colortbl: EnterDestination(Dest::ColorTable); return;
      case Kw::Red: colour_[0] = std::clamp(param, 0, 255); colourSet_ = true; return;
      case Kw::Green: colour_[1] = std::clamp(param, 0, 255); colourSet_ = true; return;
      case Kw::Blue: colour_[2] = std::clamp(param, 0, 255); colourSet_ = true; return;
      case Kw::Pict:
        if ((s.dest != Dest::Text && s.dest != Dest::ShapePicture) || overflow_ > 0) {
          SkipGroup();
          return;
        }
        FlushText();
        s.dest = Dest::Picture;
        pict_ = Picture();
        pictDepth_ = static_cast<int>(stack_.size());
        return;
      case Kw::PngBlip: pict_.blip = Blip::Png; return;
      case Kw::JpegBlip: pict_.blip = Blip::Jpeg; return;
      case Kw::OtherBlip: pict_.blip = Blip::Other; return;
      case Kw::PicW: pict_.picw = std::clamp(param, 0, 1 << 20); return;
      case Kw::PicH: pict_.pich = std::clamp(param, 0, 1 << 20); return;
      case Kw::PicWGoal: pict_.goalw = std::clamp(param, 0, 1 << 24); return;
      case Kw::PicHGoal: pict_.goalh = std::clamp(param, 0, 1 << 24); return;
      case Kw::PicScaleX: pict_.scalex = std::clamp(param, 1, 10000); return;
      case Kw::PicScaleY: pict_.scaley = std::clamp(param, 1, 10000); return;
      case Kw::Bin: Binary(param); return;
      case Kw::Shppict: return;  // its picture is read where it stands
      case Kw::Shpinst:
        if (s.dest != Dest::Text || overflow_ > 0) {
          SkipGroup();
          return;
        }
        FlushText();
        s.dest = Dest::Shape;
        return;
      case Kw::Sn:
        if (s.dest != Dest::Shape) return;
        s.dest = Dest::ShapeName;
        shapeProperty_.clear();
        return;
      case Kw::Sv:
        if (s.dest != Dest::Shape) return;
        if (shapeProperty_ == QLatin1StringView("pib")) {
          s.dest = Dest::ShapePicture;
        } else {
          SkipGroup();
        }
        return;
      case Kw::SkipDest: SkipGroup(); return;
      case Kw::Plain: s.chr = CharProps(); return;
      case Kw::B: s.chr.bold = on; return;
      case Kw::I: s.chr.italic = on; return;
      case Kw::Ul: s.chr.underline = on; return;
      case Kw::UlNone: s.chr.underline = false; return;
      case Kw::Strike: s.chr.strike = on; return;
      case Kw::Fs:
        s.chr.halfPoints = hasParam && param > 0 ? std::clamp(param, kMinHalfPoints, kMaxHalfPoints) : 24;
        return;
      case Kw::F:
        if (s.dest == Dest::FontTable) {
          FinishFontEntry();
          fontNumber_ = std::max(param, 0);
        } else {
          s.chr.font = std::max(param, 0);
        }
        return;
      case Kw::Fcharset:
        if (s.dest == Dest::FontTable) fontCharset_ = param;
        return;
      case Kw::Cpg:
        if (s.dest == Dest::FontTable) fontCodePage_ = param;
        return;
      case Kw::Super: s.chr.valign = on ? 1 : 0; return;
      case Kw::Sub: s.chr.valign = on ? 2 : 0; return;
      case Kw::NoSuperSub: s.chr.valign = 0; return;
      case Kw::Cf: s.chr.fg = std::max(param, 0); return;
      case Kw::Cb:
      case Kw::Highlight: s.chr.bg = std::max(param, 0); return;
      case Kw::Par: Paragraph(); return;
      case Kw::PageBreak:
        // A page or section break ends the paragraph, unless one has just
        // ended (or a table row) and nothing has come since.
        if (!text_.isEmpty() || !(pendingBreak_ || (table_.table && table_.rowEnded))) Paragraph();
        return;
      case Kw::Line: Char(0x2028); return;
      case Kw::Tab: Char('\t'); return;
      case Kw::Pard:
        if (!s.listText) {
          s.para = ParaProps();
          s.tabType = QTextOption::LeftTab;
        }
        return;
      case Kw::Tx:
        if (s.para.tabs.size() < kMaxTabs) s.para.tabs.push_back({twips(-kMaxTwips), s.tabType});
        s.tabType = QTextOption::LeftTab;
        return;
      case Kw::Tqr: s.tabType = QTextOption::RightTab; return;
      case Kw::Tqc: s.tabType = QTextOption::CenterTab; return;
      case Kw::Tqdec: s.tabType = QTextOption::DelimiterTab; return;
      case Kw::Deftab:
        if (param > 0) defaultTab_ = twips(1);
        return;
      case Kw::ListText:
        s.listText = true;
        if (s.dest == Dest::Text) markerGiven_ = true;
        return;
      case Kw::Chftn:
        if (s.dest == Dest::Text) {
          const QString mark = QString::number(++footnotes_);
          for (QChar ch : mark) Char(ch.unicode());
        }
        return;
      case Kw::Trowd:
        rowDef_ = RowDef();
        cellDef_ = CellDef();
        rowLeft_ = 0;
        rowGap_ = -1;
        borderTarget_ = -1;
        return;
      case Kw::Cellx:
        if (rowDef_.cells.size() < static_cast<std::size_t>(kMaxColumns)) {
          cellDef_.right = twips(-kMaxTwips);
          rowDef_.cells.push_back(cellDef_);
        }
        cellDef_ = CellDef();
        borderTarget_ = -1;
        return;
      case Kw::Trleft: rowLeft_ = twips(-kMaxTwips); return;
      case Kw::Trgaph: rowGap_ = twips(0); return;
      case Kw::ClBrdrT: case Kw::ClBrdrL: case Kw::ClBrdrB: case Kw::ClBrdrR:
      case Kw::TrBrdrT: case Kw::TrBrdrL: case Kw::TrBrdrB: case Kw::TrBrdrR: case Kw::TrBrdrH: case Kw::TrBrdrV:
        borderTarget_ = static_cast<int>(kw) - static_cast<int>(Kw::ClBrdrT);
        TargetBorder() = Border{1, 0, 0};
        return;
      case Kw::BrdrLine: if (borderTarget_ >= 0) TargetBorder().kind = 2; return;
      case Kw::BrdrNone: if (borderTarget_ >= 0) TargetBorder().kind = 1; return;
      case Kw::BrdrW:
        if (borderTarget_ >= 0) TargetBorder().width = static_cast<std::int16_t>(std::clamp(param, 0, 300));
        return;
      case Kw::BrdrCf: if (borderTarget_ >= 0) TargetBorder().colour = std::max(param, 0); return;
      case Kw::OtherBorder: borderTarget_ = -1; return;
      case Kw::ClMgf: cellDef_.hmerge = 1; return;
      case Kw::ClMrg: cellDef_.hmerge = 2; return;
      case Kw::ClVmgf: cellDef_.vmerge = 1; return;
      case Kw::ClVmrg: cellDef_.vmerge = 2; return;
      case Kw::ClCbpat: cellDef_.shade = std::max(param, 0); return;
      case Kw::ListTable: EnterDestination(Dest::ListTable); return;
      case Kw::List: case Kw::ListId: case Kw::ListLevel: case Kw::LevelNfc: case Kw::LevelStartAt:
      case Kw::LevelText: case Kw::LevelFollow: case Kw::LevelNoRestart: case Kw::LevelLegal:
      case Kw::ListOverride: case Kw::LfoLevel: case Kw::OverrideStartAt:
        if (s.dest == Dest::ListTable) ListWord(kw, on, param);
        return;
      case Kw::Ls:
        if (s.dest == Dest::ListTable) {
          ListWord(kw, on, param);
        } else {
          s.para.ls = std::max(param, 0);
        }
        return;
      case Kw::Ilvl: s.para.ilvl = static_cast<std::int8_t>(std::clamp(param, 0, 8)); return;
      case Kw::Pn: case Kw::PnSecLvl: case Kw::PnLvl: case Kw::PnLvlBlt: case Kw::PnLvlBody: case Kw::PnLvlCont:
      case Kw::PnDec: case Kw::PnUcLtr: case Kw::PnLcLtr: case Kw::PnUcRm: case Kw::PnLcRm: case Kw::PnOrd:
      case Kw::PnCard: case Kw::PnOrdT: case Kw::PnStart: case Kw::PnF: case Kw::PnFs: case Kw::PnTxtB: case Kw::PnTxtA:
        PnWord(kw, param);
        return;
      case Kw::RtlPar: s.para.rtl = true; return;
      case Kw::LtrPar: s.para.rtl = false; return;
      case Kw::Intbl: s.para.intbl = on; return;
      case Kw::Itap: s.para.intbl = param > 0; return;
      case Kw::Cell: EndCell(); return;
      case Kw::Row: EndRow(); return;
      case Kw::Ql: s.para.align = 0; return;
      case Kw::Qc: s.para.align = 1; return;
      case Kw::Qr: s.para.align = 2; return;
      case Kw::Qj: s.para.align = 3; return;
      case Kw::Li: s.para.li = twips(-kMaxTwips); s.para.indented = true; return;
      case Kw::Ri: s.para.ri = twips(-kMaxTwips); return;
      case Kw::Fi: s.para.fi = twips(-kMaxTwips); s.para.indented = true; return;
      case Kw::Sb: s.para.sb = twips(0); return;
      case Kw::Sa: s.para.sa = twips(0); return;
      case Kw::U: {
        const std::int32_t v = param < 0 ? param + 65536 : param;
        Char32(v >= 0 && v <= 0xFFFF ? SymbolOfPrivateUse(static_cast<char16_t>(v)) : char32_t(0xFFFD));
        ucSkip_ = s.uc;
        return;
      }
      case Kw::Uc: s.uc = std::clamp(param, 0, 255); return;
      case Kw::Emdash: Char(0x2014); return;
      case Kw::Endash: Char(0x2013); return;
      case Kw::Bullet: Char(0x2022); return;
      case Kw::Lquote: Char(0x2018); return;
      case Kw::Rquote: Char(0x2019); return;
      case Kw::Ldblquote: Char(0x201C); return;
      case Kw::Rdblquote: Char(0x201D); return;
      case Kw::Emspace: Char(0x2003); return;
      case Kw::Enspace: Char(0x2002); return;
      case Kw::Qmspace: Char(0x2005); return;
      case Kw::Zwj: Char(0x200D); return;
      case Kw::Zwnj: Char(0x200C); return;
      case Kw::Ltrmark: Char(0x200E); return;
      case Kw::Rtlmark: Char(0x200F); return;
    }
  }

  void EnterDestination(Dest dest) {
    // A table opened while nesting is past its bound would change the state
    // of an outer group: skip it instead.
    if (overflow_ > 0) {
      SkipGroup();
      return;
    }
    FlushText();
    Cur().dest = dest;
    if (dest == Dest::FontTable) {
      fontNumber_ = 0;
      fontName_.clear();
    } else {
      colourSet_ = false;
    }
    formats_.clear();
  }

  void SetCodePage(int number) {
    if (number == codePage_->Number()) return;
    FlushBytes();
    codePage_ = SharedCodePage(number);
    fontPage_ = nullptr;
  }

  // The code page of "\'hh" bytes: the current font's, where it has one
  // of its own, else the document's. A font's name is read in the page of
  // the set its entry gives.
  const RtfCodePage& Page() {
    if (Cur().dest == Dest::FontTable) {
      const int page = fontCodePage_ > 0 ? fontCodePage_ : CodePageOfCharset(fontCharset_);
      if (page <= 0 || page == kSymbolCodePage) return *codePage_;
      if (!fontTablePage_ || fontTablePage_->Number() != page) fontTablePage_ = SharedCodePage(page);
      return *fontTablePage_;
    }
    const std::int32_t font = Cur().chr.font < 0 ? deff_ : Cur().chr.font;
    if (!fontPage_ || font != fontPageFont_) {
      const auto it = fontPages_.constFind(font);
      fontPage_ = it == fontPages_.constEnd() ? codePage_ : *it;
      fontPageFont_ = font;
    }
    return *fontPage_;
  }

  // A font whose codes are read as the signs its chart gives: its text shows
  // in the font of the text around it, not in the font named.
  bool IsChartFont(std::int32_t font) const {
    const auto it = fontPages_.constFind(font < 0 ? deff_ : font);
    return it != fontPages_.constEnd() && (*it)->IsSymbol();
  }

  void Binary(std::int32_t count) {
    const std::int64_t n = std::min<std::int64_t>(std::max(count, 0), end_ - p_);
    if (Cur().dest == Dest::Picture) {
      pict_.data.reserve(pict_.data.size() + n);
      for (std::int64_t i = 0; i < n; ++i) pict_.data.append(static_cast<char>(p_[i] & 0xFF));
    }
    p_ += n;
  }

  // ---- characters ---------------------------------------------------------

  void Literal(char16_t c) {
    if (lead_ >= 0 && ucSkip_ == 0 && c >= 0x20 && c < 0x100) {
      ignorable_ = false;
      Byte(static_cast<unsigned char>(c));  // the trail byte of a double-byte character
      return;
    }
    FlushBytes();
    ignorable_ = false;
    if (ucSkip_ > 0) {
      --ucSkip_;
      return;
    }
    State& s = Cur();
    if (s.dest == Dest::Picture) {
      PictureDigit(c);
      return;
    }
    if (s.dest == Dest::Text && IsPlainRunChar(c, bytes_)) {
      // A run of ordinary characters goes in at once.
      const char16_t* start = p_ - 1;
      while (p_ < end_ && IsPlainRunChar(*p_, bytes_)) ++p_;
      if (Page().IsSymbol()) {
        AppendSymbols(QStringView(start, p_ - start));
      } else {
        AppendRun(QStringView(start, p_ - start));
      }
      return;
    }
    if (bytes_ && c >= 0x80) {
      Byte(static_cast<unsigned char>(c));
      return;
    }
    Char(c);
  }

  void Byte(unsigned char byte) {
    if (Cur().dest == Dest::Picture) return;
    if (Cur().dest == Dest::LevelText || Cur().dest == Dest::PnText) {
      // Read in the level's font when the level ends: it may come later.
      Char(byte < 0x80 ? char16_t(byte) : char16_t(0xF000 | byte));
      return;
    }
    if (lead_ >= 0) {
      // A lead byte takes the next byte with it, whatever its value.
      pendingBytes_.append(static_cast<char>(lead_));
      pendingBytes_.append(static_cast<char>(byte));
      lead_ = -1;
      return;
    }
    const RtfCodePage& page = Page();
    if (byte < 0x80) {
      FlushBytes();
      Char32(page.IsSymbol() && Cur().dest == Dest::Text ? page.Map(byte) : byte);
    } else if (page.IsSingleByte()) {
      Char32(page.Map(byte));
    } else if (page.IsLeadByte(byte)) {
      lead_ = byte;
    } else {
      pendingBytes_.append(static_cast<char>(byte));
    }
  }

  void FlushBytes() {
    if (!pendingBytes_.isEmpty()) {
      const QString text = Page().Decode(pendingBytes_);
      pendingBytes_.clear();
      for (QChar ch : text) Char(ch.unicode());
    }
    if (lead_ >= 0) {  // no trail byte came: unreadable
      lead_ = -1;
      Char(0xFFFD);
    }
  }

  void Char32(char32_t c) {
    if (QChar::requiresSurrogates(c)) {
      Char(QChar::highSurrogate(c));
      Char(QChar::lowSurrogate(c));
    } else {
      Char(static_cast<char16_t>(c));
    }
  }

  void Char(char16_t c) {
    State& s = Cur();
    switch (s.dest) {
      case Dest::Text: TextChar(c); return;
      case Dest::FontTable:
        if (c == ';') {
          FinishFontEntry();
        } else if (fontName_.size() < kMaxFontNameLength && c >= 0x20 && c != 0xFFFC) {
          fontName_.append(QChar(c));
        }
        return;
      case Dest::ColorTable:
        if (c == ';') {
          colours_.push_back(colourSet_ ? QColor(colour_[0], colour_[1], colour_[2]) : QColor());
          colour_[0] = colour_[1] = colour_[2] = 0;
          colourSet_ = false;
          formats_.clear();
        }
        return;
      case Dest::ShapeName:
        if (shapeProperty_.size() < 64) shapeProperty_.append(QChar(c));
        return;
      case Dest::LevelText:
        if (level_.text.size() < kMaxLevelText) level_.text.append(QChar(c));
        return;
      case Dest::PnText:
        if (pnText_.size() < kMaxLevelText) pnText_.append(QChar(c));
        return;
      case Dest::Pn:
      case Dest::ListTable:
      case Dest::Picture:
      case Dest::Shape:
      case Dest::ShapePicture: return;
    }
  }

  void TextChar(char16_t c) {
    if (c < 0x20 && c != '\t') return;
    if (c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC || c >= 0xFFFE) return;
    const QChar ch(c);
    AppendRun(QStringView(&ch, 1));
    // After the append: it may have flushed the text before this character.
    if (ch.isSurrogate()) surrogates_ = true;
  }

  // Letters and signs in a symbol font are the characters the font shows.
  void AppendSymbols(QStringView run) {
    QString shown;
    shown.reserve(run.size());
    const RtfCodePage& page = Page();
    for (const QChar ch : run) {
      AppendCharacter(shown, ch.unicode() < 0x80 ? page.Map(static_cast<unsigned char>(ch.unicode())) : ch.unicode());
    }
    AppendRun(shown);
    if (shown.size() != run.size()) surrogates_ = true;
  }

  // Word processors give a symbol font's characters as U+F020 to U+F0FF.
  char32_t SymbolOfPrivateUse(char16_t c) {
    if (c < 0xF020 || c > 0xF0FF || Cur().dest != Dest::Text || !Page().IsSymbol()) return c;
    return Page().Map(static_cast<unsigned char>(c - 0xF000));
  }

  void AppendRun(QStringView run) {
    const CharProps& chr = Cur().chr;
    if (text_.isEmpty()) {
      textProps_ = chr;
    } else if (!(textProps_ == chr)) {
      FlushText();
      textProps_ = chr;
    }
    text_.append(run);
  }

  void Paragraph() {
    if (Cur().dest != Dest::Text) return;
    FlushText();
    Place();
    if (pendingBreak_) cursor_.insertBlock();
    ApplyParagraph();
    // The break takes effect when more content follows: a document's last
    // "\par" ends its last paragraph and opens no new one.
    pendingBreak_ = true;
  }

  void ApplyParagraph() {
    const State& s = Cur();
    // A paragraph numbered through the list table alone gets its marker
    // here; one that spells out its own keeps that, and counts. The
    // paragraph after a table the document ends in is no list item.
    const ListLevel* level = nullptr;
    QString marker;
    const bool inPlace = s.para.intbl == (table_.table != nullptr);
    if (s.para.ls > 0 && inPlace) {
      marker = ListMarker(s.para, level);
    } else if ((s.para.pn.kind != 0 || s.para.pn.skip) && inPlace) {
      marker = pnCount_.Marker(s.para.pn);
      level = &s.para.pn.level;
    } else {
      pnCount_.End();  // a paragraph without a number ends the numbering before it
    }
    if (markerGiven_) {
      marker.clear();
      level = nullptr;
    }
    markerGiven_ = false;
    if (level && !s.para.indented && level->indented) {
      ParaProps p = s.para;
      p.li = level->li;
      p.fi = level->fi;
      cursor_.setBlockFormat(BlockFormat(p));
    } else {
      cursor_.setBlockFormat(BlockFormat(s.para));
    }
    if (cursor_.block().length() == 1) cursor_.setBlockCharFormat(Format(s.chr));
    if (!marker.isEmpty()) InsertMarker(marker, *level);
  }

  void FlushText() {
    if (text_.isEmpty()) return;
    Place();
    if (pendingBreak_) {
      cursor_.insertBlock();
      pendingBreak_ = false;
    }
    if (surrogates_) {
      RepairSurrogates(text_);
      surrogates_ = false;
    }
    cursor_.insertText(text_, Format(textProps_));
    text_.clear();
  }

  // ---- tables -------------------------------------------------------------

  // Puts the cursor where the coming text belongs: into the next cell or
  // row after \cell or \row, into a new table for the first paragraph that
  // is in one, after the table for the first that is not (or after the last
  // cell the row defines, when its \row is missing).
  void Place() {
    const bool inTable = Cur().para.intbl;
    if (table_.table) {
      const bool rowFull = table_.cellEnded && !rowDef_.cells.empty() &&
                           table_.cell + 1 >= static_cast<int>(rowDef_.cells.size());
      if (!inTable && (table_.rowEnded || rowFull)) {
        EndTable();
      } else if (table_.rowEnded) {
        StartRow();
      } else if (table_.cellEnded) {
        NextCell();
      }
    } else if (inTable) {
      StartTable();
    }
  }

  // \cell and \row make a table of their text whether or not it is marked
  // as being in one.
  void PlaceInTable(bool nextCell) {
    if (!table_.table) {
      StartTable();
    } else if (table_.rowEnded) {
      StartRow();
    } else if (table_.cellEnded && nextCell) {
      NextCell();
    }
  }

  void EndCell() {
    if (Cur().dest != Dest::Text) return;
    PlaceInTable(true);
    FlushText();
    // A paragraph mark just before \cell ends the cell's last paragraph; it
    // opens no empty one.
    if (!pendingBreak_) ApplyParagraph();
    pendingBreak_ = false;
    table_.cellEnded = true;
  }

  void EndRow() {
    if (Cur().dest != Dest::Text) return;
    PlaceInTable(false);
    FlushText();
    if (!table_.cellEnded) {  // the last cell's text without its \cell
      if (pendingBreak_) cursor_.insertBlock();
      ApplyParagraph();
    }
    pendingBreak_ = false;
    table_.cellEnded = false;
    table_.rowEnded = true;
  }

  void StartTable() {
    // The paragraph before the table has ended: the table follows it.
    pendingBreak_ = false;
    table_ = TableBuild();
    table_.rows = 1;
    TakeRowDefinition();
    table_.columns = table_.usedColumns;
    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setAlignment(Qt::AlignLeft);
    table_.table = cursor_.insertTable(1, table_.columns, format);
    MoveToCell();
  }

  void StartRow() {
    if (table_.row + 1 >= kMaxRows) {
      EndTable();
      StartTable();
      return;
    }
    ++table_.row;
    table_.cell = 0;
    if (table_.row >= table_.rows) {
      const int more = std::min(table_.rows, kMaxRows - table_.rows);
      table_.table->appendRows(more);
      table_.rows += more;
    }
    table_.rowEnded = table_.cellEnded = false;
    TakeRowDefinition();
    MoveToCell();
  }

  void NextCell() {
    table_.cellEnded = false;
    if (CellColumn(table_.cell + 1) >= kMaxColumns) {
      // Cells past the last column go into it, after a tab.
      const QTextCharFormat format = Format(Cur().chr);
      cursor_.insertText(QStringLiteral("\t"), format);
      return;
    }
    ++table_.cell;
    MoveToCell();
  }

  void MoveToCell() {
    const int column = CellColumn(table_.cell);
    if (column >= table_.columns) {
      const int more = std::max(column + 1 - table_.columns, std::min(table_.columns, kMaxColumns - table_.columns));
      table_.table->appendColumns(more);
      table_.columns += more;
    }
    table_.usedColumns = std::max(table_.usedColumns, column + 1);
    cursor_ = table_.table->cellAt(table_.row, column).firstCursorPosition();
    pendingBreak_ = false;
  }

  // The column of the row's cell `index`: where its edges place it in the
  // grid, else the column after the cell before it.
  int CellColumn(int index) const {
    const RowDef& def = table_.defs[table_.rowDefs[static_cast<std::size_t>(table_.row)]];
    const int defined = static_cast<int>(def.cells.size());
    if (index < defined && def.cells[static_cast<std::size_t>(index)].column >= 0) {
      return def.cells[static_cast<std::size_t>(index)].column;
    }
    int placed = std::min(index, defined) - 1;
    while (placed >= 0 && def.cells[static_cast<std::size_t>(placed)].column < 0) --placed;
    const int after = placed < 0 ? 0
                                 : def.cells[static_cast<std::size_t>(placed)].column +
                                       def.cells[static_cast<std::size_t>(placed)].span;
    return after + index - placed - 1;
  }

  // The row now defined: the grid takes its edges, and its cells their
  // columns. Rows defined alike share one definition.
  void TakeRowDefinition() {
    if (table_.defs.empty() || !(rowDef_ == table_.lastSource) || rowLeft_ != table_.lastLeft) {
      table_.lastSource = rowDef_;
      table_.lastLeft = rowLeft_;
      RowDef def = rowDef_;
      std::int32_t left = rowLeft_;
      bool placed = InsertBoundary(left) >= 0;
      for (CellDef& cell : def.cells) {
        cell.column = -1;
        // A cell that ends before it begins, or finds the grid full, and
        // the cells after it, follow one another.
        placed = placed && cell.right > left;
        const int end = placed ? InsertBoundary(cell.right) : -1;
        if (end < 0) {
          placed = false;
          continue;
        }
        cell.column = BoundaryIndex(left);
        cell.span = end - cell.column;
        left = cell.right;
      }
      table_.defs.push_back(std::move(def));
    }
    table_.rowDefs.push_back(static_cast<std::uint32_t>(table_.defs.size() - 1));
    if (table_.padding < 0 && rowGap_ >= 0) table_.padding = std::min(rowGap_ / 15.0, kMaxCellPadding);
  }

  int BoundaryIndex(std::int32_t x) const {
    return static_cast<int>(std::lower_bound(table_.bounds.begin(), table_.bounds.end(), x) - table_.bounds.begin());
  }

  // Adds an edge to the grid: the column it falls in is split in two, and
  // the cells that covered it cover both. Gives the edge's index, or -1 when
  // the grid has no room for another column.
  int InsertBoundary(std::int32_t x) {
    std::vector<std::int32_t>& bounds = table_.bounds;
    const auto at = std::lower_bound(bounds.begin(), bounds.end(), x);
    const int p = static_cast<int>(at - bounds.begin());
    if (at != bounds.end() && *at == x) return p;
    const int grid = static_cast<int>(bounds.size()) - 1;
    if (!bounds.empty() && std::max(table_.usedColumns, grid) >= kMaxColumns) return -1;
    bounds.insert(at, x);
    if (bounds.size() == 1) return p;
    // The new column: the right part of a column split, or a first or last one.
    const int split = p > 0 && p < grid + 1 ? p - 1 : -1;
    const int column = split >= 0 ? p : (p == 0 ? 0 : p - 1);
    for (RowDef& def : table_.defs) {
      for (CellDef& cell : def.cells) {
        if (cell.column < 0) continue;
        if (split >= 0 ? cell.column > split : cell.column >= column) {
          ++cell.column;
        } else if (split >= 0 && cell.column + cell.span > split) {
          ++cell.span;
        }
      }
    }
    if (table_.table) {
      table_.table->insertColumns(column, 1);
      ++table_.columns;
      if (column < table_.usedColumns) ++table_.usedColumns;
    }
    table_.usedColumns = std::max(table_.usedColumns, grid + 1);
    return p;
  }

  void EndTable() {
    QTextTable* table = table_.table;
    const int rows = table_.row + 1;
    // Taking cells away gives the paragraph before them the format of one
    // taken away: it keeps its own.
    std::vector<std::pair<QTextCursor, QTextBlockFormat>> kept;
    const auto keep = [&](int r, int c) {
      const QTextCursor last = table->cellAt(r, c).lastCursorPosition();
      kept.emplace_back(last, last.blockFormat());
    };
    if (table_.columns > table_.usedColumns) {
      for (int r = 0; r < rows; ++r) keep(r, table_.usedColumns - 1);
      table->removeColumns(table_.usedColumns, table_.columns - table_.usedColumns);
    }
    if (table_.rows > rows) {
      if (kept.empty()) keep(rows - 1, table_.usedColumns - 1);
      table->removeRows(rows, table_.rows - rows);
    }
    for (auto& [cursor, format] : kept) cursor.setBlockFormat(format);
    QTextTableFormat format = table->format();
    format.setColumnWidthConstraints(ColumnWidths());
    format.setBorder(0);
    format.setCellPadding(table_.padding >= 0 ? table_.padding : 2);
    table->setFormat(format);
    JoinCells(rows);
    cursor_ = table->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = TableBuild();
    pendingBreak_ = false;
  }

  // Widths as the grid gives them, the whole table within the widest
  // indent; columns outside the grid share the rest.
  QList<QTextLength> ColumnWidths() const {
    const int columns = table_.usedColumns;
    const int grid = std::min(columns, static_cast<int>(table_.bounds.size()) - 1);
    std::vector<std::int64_t> twips(static_cast<std::size_t>(columns), 0);
    std::int64_t total = 0;
    for (int i = 0; i < grid; ++i) {
      twips[static_cast<std::size_t>(i)] = table_.bounds[static_cast<std::size_t>(i) + 1] - table_.bounds[static_cast<std::size_t>(i)];
      total += twips[static_cast<std::size_t>(i)];
    }
    if (total > kMaxTwips) {
      // Whole twips, as they are written back, and none narrowed to nothing.
      std::int64_t sum = 0;
      std::size_t widest = 0;
      for (std::size_t i = 0; i < static_cast<std::size_t>(grid); ++i) {
        twips[i] = std::max<std::int64_t>(1, twips[i] * kMaxTwips / total);
        sum += twips[i];
        if (twips[i] > twips[widest]) widest = i;
      }
      twips[widest] -= std::max<std::int64_t>(0, sum - kMaxTwips);
    }
    QList<QTextLength> widths;
    for (const std::int64_t w : twips) {
      widths.append(w > 0 ? QTextLength(QTextLength::FixedLength, static_cast<double>(w) / 15.0) : QTextLength());
    }
    return widths;
  }

  // Cells covering several columns, and cells merged across or downwards,
  // become one; cells take their shading and borders, a row's borders where
  // a cell names none of its own.
  void JoinCells(int rows) {
    struct Area {
      int row, column, rows, span;
      const CellDef* cell;
      const CellDef* bottom;
      const RowDef* def;
      const RowDef* bottomDef;
      bool first, last;
    };
    std::vector<Area> areas;
    std::vector<int> downwards(static_cast<std::size_t>(table_.usedColumns), -1);
    for (int r = 0; r < rows; ++r) {
      const RowDef& def = table_.defs[table_.rowDefs[static_cast<std::size_t>(r)]];
      int before = -1;
      for (std::size_t i = 0; i < def.cells.size(); ++i) {
        const CellDef& cell = def.cells[i];
        if (cell.column < 0) break;
        const bool last = i + 1 == def.cells.size() || def.cells[i + 1].column < 0;
        if (cell.hmerge == 2 && before >= 0) {
          Area& a = areas[static_cast<std::size_t>(before)];
          if (a.row == r && a.rows == 1 && a.column + a.span == cell.column) {
            a.span += cell.span;
            a.last = last;
            continue;
          }
        }
        int& down = downwards[static_cast<std::size_t>(cell.column)];
        if (cell.vmerge == 2 && down >= 0) {
          Area& a = areas[static_cast<std::size_t>(down)];
          if (a.row + a.rows == r && a.span == cell.span) {
            ++a.rows;
            a.bottom = &cell;
            a.bottomDef = &def;
            before = -1;
            continue;
          }
        }
        areas.push_back({r, cell.column, 1, cell.span, &cell, &cell, &def, &def, i == 0, last});
        before = static_cast<int>(areas.size()) - 1;
        down = cell.vmerge != 0 ? before : -1;
      }
    }
    QTextTable* table = table_.table;
    for (const Area& a : areas) {
      if (a.rows > 1 || a.span > 1) table->mergeCells(a.row, a.column, a.rows, a.span);
      const auto side = [&](int k) {
        const Border& own = (k == 2 ? a.bottom : a.cell)->sides[static_cast<std::size_t>(k)];
        if (own.kind != 0) return own;
        const RowDef& def = k == 2 ? *a.bottomDef : *a.def;
        switch (k) {
          case 0: return def.sides[a.row == 0 ? 0 : 4];
          case 1: return def.sides[a.first ? 1 : 5];
          case 2: return def.sides[a.row + a.rows == rows ? 2 : 4];
          default: return def.sides[a.last ? 3 : 5];
        }
      };
      const std::array<Border, 4> sides = {side(0), side(1), side(2), side(3)};
      const QColor shade = a.cell->shade > 0 ? Colour(a.cell->shade) : QColor();
      if (!shade.isValid() && std::none_of(sides.begin(), sides.end(), [](const Border& b) { return b.kind == 2; })) {
        continue;
      }
      QTextTableCell cell = table->cellAt(a.row, a.column);
      QTextTableCellFormat format = cell.format().toTableCellFormat();
      if (shade.isValid()) format.setBackground(shade);
      for (int k = 0; k < 4; ++k) {
        const Border& b = sides[static_cast<std::size_t>(k)];
        if (b.kind != 2) continue;
        const double width = std::max(1.0, b.width / 15.0);
        const QColor colour = b.colour > 0 && Colour(b.colour).isValid() ? Colour(b.colour) : QColor(Qt::black);
        constexpr auto solid = QTextFrameFormat::BorderStyle_Solid;
        switch (k) {
          case 0: format.setTopBorder(width); format.setTopBorderStyle(solid); format.setTopBorderBrush(colour); break;
          case 1: format.setLeftBorder(width); format.setLeftBorderStyle(solid); format.setLeftBorderBrush(colour); break;
          case 2:
            format.setBottomBorder(width);
            format.setBottomBorderStyle(solid);
            format.setBottomBorderBrush(colour);
            break;
          default:
            format.setRightBorder(width);
            format.setRightBorderStyle(solid);
            format.setRightBorderBrush(colour);
        }
      }
      cell.setFormat(format);
    }
  }

  Border& TargetBorder() {
    return borderTarget_ < 4 ? cellDef_.sides[static_cast<std::size_t>(borderTarget_)]
                             : rowDef_.sides[static_cast<std::size_t>(borderTarget_ - 4)];
  }

  static void RepairSurrogates(QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar c = text.at(i);
      if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        ++i;
      } else if (c.isSurrogate()) {
        text[i] = QChar(QChar::ReplacementCharacter);
      }
    }
  }

  // ---- lists --------------------------------------------------------------

  // A word of the list table; the groups it opens end in ListGroupEnds.
  void ListWord(Kw kw, bool on, std::int32_t param) {
    const int depth = static_cast<int>(stack_.size());
    switch (kw) {
      case Kw::List: listDepth_ = depth; list_ = ListDef(); return;
      case Kw::ListOverride: overrideDepth_ = depth; override_ = ListOverride(); return;
      case Kw::LfoLevel: lfoDepth_ = depth; lfo_ = LfoLevel(); return;
      case Kw::ListLevel: {
        levelDepth_ = depth;
        level_ = ListLevel();
        // What the level sets of its own, apart from what it inherits.
        State& s = Cur();
        s.chr.font = -1;
        s.chr.halfPoints = 0;
        s.para.indented = false;
        return;
      }
      case Kw::ListId: (overrideDepth_ > 0 ? override_.listId : list_.id) = param; return;
      case Kw::Ls: override_.ls = std::max(param, 0); return;
      case Kw::LevelText:
        if (levelDepth_ > 0) {
          Cur().dest = Dest::LevelText;
          level_.text.clear();
        }
        return;
      case Kw::LevelNfc: level_.nfc = param; return;
      case Kw::LevelStartAt:
        if (levelDepth_ > 0) {
          level_.start = param;
        } else if (lfoDepth_ > 0) {
          lfo_.startAt = param;
        }
        return;
      case Kw::LevelFollow: level_.follow = static_cast<std::int8_t>(std::clamp(param, 0, 2)); return;
      case Kw::LevelNoRestart: level_.noRestart = on; return;
      case Kw::LevelLegal: level_.legal = on; return;
      case Kw::OverrideStartAt: lfo_.restart = true; return;
      default: return;
    }
  }

  void ListGroupEnds() {
    const int depth = static_cast<int>(stack_.size());
    if (depth == levelDepth_) {
      const State& s = Cur();
      level_.li = s.para.li;
      level_.fi = s.para.fi;
      level_.indented = s.para.indented;
      level_.font = s.chr.font;
      level_.halfPoints = s.chr.halfPoints;
      level_.text = LevelCharacters(level_.text, level_.font);
      if (lfoDepth_ > 0) {
        lfo_.level = level_;
        lfo_.hasLevel = true;
      } else if (listDepth_ > 0 && list_.count < 9) {
        list_.levels[static_cast<std::size_t>(list_.count++)] = level_;
      }
      levelDepth_ = -1;
    } else if (depth == lfoDepth_) {
      if (overrideDepth_ > 0 && override_.count < 9) override_.lfo[static_cast<std::size_t>(override_.count++)] = lfo_;
      lfoDepth_ = -1;
    } else if (depth == listDepth_) {
      if (lists_.size() < kMaxLists || lists_.count(list_.id)) lists_[list_.id] = list_;
      listDepth_ = -1;
    } else if (depth == overrideDepth_) {
      if (override_.ls > 0 && (overrides_.size() < kMaxLists || overrides_.count(override_.ls))) {
        overrides_[override_.ls] = override_;
      }
      overrideDepth_ = -1;
    }
  }

  // The marker's characters as the level's font shows them: a symbol font's
  // codes as the signs they stand for, bytes in the font's code page.
  QString LevelCharacters(const QString& text, std::int32_t font) const {
    const auto own = fontPages_.constFind(font < 0 ? deff_ : font);
    const RtfCodePage& page = own == fontPages_.constEnd() ? *codePage_ : **own;
    if (text.isEmpty()) return text;
    // The first character counts those after it; a sign beyond the
    // Basic Multilingual Plane takes two.
    QString out(1, text.at(0));
    for (qsizetype i = 1; i < text.size(); ++i) {
      const char16_t c = text.at(i).unicode();
      const bool code = (c >= 0x20 && c < 0x100) || (c >= 0xF020 && c <= 0xF0FF);
      const auto byte = static_cast<unsigned char>(c & 0xFF);
      char32_t shown = c;
      if (page.IsSymbol() && code) {
        shown = page.Map(byte);
      } else if (c >= 0xF080 && c <= 0xF0FF) {
        shown = page.IsSingleByte() ? page.Map(byte) : Cp1252ToUnicode(byte);
      }
      AppendCharacter(out, shown);
      if (shown > 0xFFFF && i <= text.at(0).unicode()) out[0] = QChar(static_cast<char16_t>(out.at(0).unicode() + 1));
    }
    return out;
  }

  const ListLevel& LevelOf(const ListOverride& o, const ListDef& list, int level) const {
    const auto i = static_cast<std::size_t>(level);
    if (level < o.count && o.lfo[i].hasLevel) return o.lfo[i].level;
    return list.levels[i];
  }

  // The marker of a paragraph numbered through the list table, counted on
  // from the list's paragraphs before it; empty when the list is unknown.
  QString ListMarker(const ParaProps& p, const ListLevel*& level) {
    const auto o = overrides_.find(p.ls);
    if (o == overrides_.end()) return {};
    ListOverride& over = o->second;
    const auto l = lists_.find(over.listId);
    if (l == lists_.end()) return {};
    const ListDef& list = l->second;
    const int lvl = p.ilvl;
    const auto at = static_cast<std::size_t>(lvl);
    level = &LevelOf(over, list, lvl);
    if (level->text.isEmpty()) {  // a level the list does not define
      level = nullptr;
      return {};
    }
    ListCount& count = counts_[over.listId];
    const LfoLevel* lfo = lvl < over.count ? &over.lfo[at] : nullptr;
    if (lfo && lfo->restart && !over.restarted[at]) {
      // A list override that restarts the level does so where it is first used.
      count.number[at] = lfo->startAt >= 0 ? lfo->startAt : level->start;
      over.restarted[at] = true;
    } else if (!count.started[at]) {
      count.number[at] = level->start;
    } else if (count.number[at] < INT32_MAX) {
      ++count.number[at];
    }
    count.started[at] = true;
    for (int k = lvl + 1; k < 9; ++k) {
      if (!LevelOf(over, list, k).noRestart) count.started[static_cast<std::size_t>(k)] = false;
    }
    QString marker;
    const QString& text = level->text;
    const qsizetype length = text.isEmpty() ? 0 : std::min<qsizetype>(text.at(0).unicode(), text.size() - 1);
    for (qsizetype i = 1; i <= length; ++i) {
      const char16_t c = text.at(i).unicode();
      if (c < 9) {
        const ListLevel& of = LevelOf(over, list, c);
        const std::int32_t n = count.started[c] ? count.number[c] : of.start;
        marker += RtfListNumber(n, level->legal && c != lvl ? 0 : of.nfc);
      } else if (c >= 0x20 || c == '\t') {
        marker += QChar(c);
      }
    }
    if (level->follow == 0) marker += QLatin1Char('\t');
    if (level->follow == 1) marker += QLatin1Char(' ');
    return marker;
  }

  // The marker goes before the paragraph's text, in the format of its first
  // character, in the level's own font and size where the level gives them.
  void InsertMarker(const QString& marker, const ListLevel& level) {
    QTextCursor at(cursor_.block());
    QTextCharFormat format = cursor_.block().charFormat();
    const QTextBlock::iterator first = cursor_.block().begin();
    if (!first.atEnd() && !first.fragment().charFormat().isImageFormat()) format = first.fragment().charFormat();
    if (level.font >= 0 && !IsChartFont(level.font) && fonts_.contains(level.font)) {
      format.setFontFamilies(QStringList{fonts_.value(level.font)});
    }
    if (level.halfPoints > 0) format.setFontPointSize(level.halfPoints / 2.0);
    at.insertText(marker, format);
  }

  // ---- numbering in the way of Word 6 and 95 ----------------------------

  // A word of a paragraph's numbering ("\pn") or of a level of the
  // section's ("\pnseclvlN"), which paragraphs at that level take on.
  void PnWord(Kw kw, std::int32_t param) {
    State& s = Cur();
    const int depth = static_cast<int>(stack_.size());
    if (kw == Kw::Pn || kw == Kw::PnSecLvl) {
      if (s.dest != Dest::Text || overflow_ > 0) {
        SkipGroup();
        return;
      }
      FlushText();
      s.dest = Dest::Pn;
      pnDepth_ = depth;
      pnSection_ = kw == Kw::PnSecLvl ? std::clamp(param, 1, 9) : 0;
      pn_ = PnLevel();
      pn_.kind = static_cast<std::int8_t>(pnSection_);
      pnBefore_.clear();
      pnAfter_.clear();
      return;
    }
    if (s.dest != Dest::Pn) return;
    ListLevel& level = pn_.level;
    switch (kw) {
      case Kw::PnLvl:
        // A level of the section's outline, with what the paragraph changes.
        if (pnSection_ == 0) {
          const auto at = static_cast<std::size_t>(std::clamp(param, 1, 9));
          pn_ = pnSections_[at];
          pn_.kind = static_cast<std::int8_t>(at);
          pnBefore_ = pnSectionBefore_[at];
          pnAfter_ = pnSectionAfter_[at];
        }
        return;
      case Kw::PnLvlBody: pn_.kind = 10; return;
      case Kw::PnLvlBlt: pn_.kind = 11; return;
      case Kw::PnLvlCont: pn_.skip = true; return;
      case Kw::PnDec: level.nfc = 0; return;
      case Kw::PnUcRm: level.nfc = 1; return;
      case Kw::PnLcRm: level.nfc = 2; return;
      case Kw::PnUcLtr: level.nfc = 3; return;
      case Kw::PnLcLtr: level.nfc = 4; return;
      case Kw::PnOrd: level.nfc = 5; return;
      case Kw::PnCard: level.nfc = 6; return;
      case Kw::PnOrdT: level.nfc = 7; return;
      case Kw::PnStart: level.start = std::max(param, 0); return;
      case Kw::PnF: level.font = std::max(param, 0); return;
      case Kw::PnFs: level.halfPoints = param > 0 ? std::clamp(param, kMinHalfPoints, kMaxHalfPoints) : 0; return;
      case Kw::PnTxtB:
      case Kw::PnTxtA:
        s.dest = Dest::PnText;
        pnTextDepth_ = depth;
        pnTextAfter_ = kw == Kw::PnTxtA;
        pnText_.clear();
        return;
      default: return;
    }
  }

  void PnGroupEnds() {
    const int depth = static_cast<int>(stack_.size());
    if (Cur().dest == Dest::PnText && depth == pnTextDepth_) {
      (pnTextAfter_ ? pnAfter_ : pnBefore_) = pnText_;
      pnTextDepth_ = -1;
    }
    if (Cur().dest != Dest::Pn || depth != pnDepth_) return;
    pnDepth_ = -1;
    if (pnSection_ > 0) {
      const auto at = static_cast<std::size_t>(pnSection_);
      pnSections_[at] = pn_;
      pnSectionBefore_[at] = pnBefore_;
      pnSectionAfter_[at] = pnAfter_;
      return;
    }
    // The marker: the text before, the number (none for a bullet), the
    // text after, in the numbering's font.
    QString codes = pnBefore_;
    if (pn_.kind != 11) codes += QChar(0);
    codes += pnAfter_;
    codes = LevelCharacters(QChar(static_cast<char16_t>(codes.size())) + codes, pn_.level.font);
    pn_.level.text = codes;
    if (stack_.size() >= 2) stack_[stack_.size() - 2].para.pn = pn_;
  }

  // ---- tables and formats -------------------------------------------------

  void FinishFontEntry() {
    const QString name = fontName_.trimmed();
    if (!name.isEmpty() || fontCharset_ >= 0 || fontCodePage_ > 0) {
      // A set given after the name's end still goes with that name.
      const QString named = name.isEmpty() ? fonts_.value(fontNumber_) : name;
      if (auto page = FontCodePage(named, fontCharset_, fontCodePage_)) {
        fontPages_.insert(fontNumber_, std::move(page));
      } else {
        fontPages_.remove(fontNumber_);
      }
      fontPage_ = nullptr;
    }
    fontCharset_ = -1;
    fontCodePage_ = 0;
    fontName_.clear();
    if (name.isEmpty()) return;
    fonts_.insert(fontNumber_, name);
    formats_.clear();
  }

  QString FontName(std::int32_t number) const {
    // Codes in a symbol font are read as the characters they show, which
    // the font that stands for it here need not have at those codes.
    // A font the table does not name shows in the default font's name.
    const std::int32_t own = number < 0 ? deff_ : number;
    const std::int32_t named = fonts_.contains(own) ? own : deff_;
    if (IsChartFont(named)) return named != deff_ ? FontName(deff_) : baseFont_.family();
    const auto it = fonts_.constFind(named);
    return it == fonts_.constEnd() ? baseFont_.family() : *it;
  }

  QColor Colour(std::int32_t index) const {
    return index >= 0 && index < static_cast<std::int64_t>(colours_.size()) ? colours_[index] : QColor();
  }

  const QTextCharFormat& Format(const CharProps& c) {
    auto it = formats_.find(c);
    if (it != formats_.end()) return it->second;
    if (formats_.size() > 4096) formats_.clear();
    QTextCharFormat f;
    f.setFontFamilies(QStringList{FontName(c.font)});
    f.setFontPointSize(c.halfPoints / 2.0);
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    if (c.valign != 0) {
      f.setVerticalAlignment(c.valign == 1 ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignSubScript);
    }
    if (const QColor fg = Colour(c.fg); fg.isValid()) f.setForeground(fg);
    if (const QColor bg = Colour(c.bg); bg.isValid() && c.bg > 0) f.setBackground(bg);
    return formats_.emplace(c, f).first->second;
  }

  const QTextBlockFormat& BlockFormat(const ParaProps& p) {
    if (blockFormatValid_ && p == blockProps_) return blockFormat_;
    QTextBlockFormat f;
    static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
    f.setAlignment(kAlign[p.align]);
    if (p.rtl) {
      // Left and right are the page's, as a word processor has them, not
      // swapped as the text layout swaps them for right-to-left text.
      f.setLayoutDirection(Qt::RightToLeft);
      if (p.align == 0 || p.align == 2) f.setAlignment(kAlign[p.align] | Qt::AlignAbsolute);
    }
    f.setLeftMargin(p.li / 15.0);
    f.setRightMargin(p.ri / 15.0);
    f.setTextIndent(p.fi / 15.0);
    f.setTopMargin(p.sb / 15.0);
    f.setBottomMargin(p.sa / 15.0);
    // The markup measures tab stops from the margin; the text layout measures
    // them from where the paragraph's first line starts. A hanging indent is
    // a tab stop of its own, so that a list item's text lines up after its
    // marker.
    const std::int32_t start = p.li + p.fi;
    QList<QTextOption::Tab> tabs;
    const auto add = [&](std::int32_t twips, QTextOption::TabType type) {
      if (twips <= start) return;
      tabs.append(QTextOption::Tab((twips - start) / 15.0, type,
                                   type == QTextOption::DelimiterTab ? QChar(u'.') : QChar()));
    };
    for (const TabStop& t : p.tabs) add(t.twips, t.type);
    if (p.fi < 0) add(p.li, QTextOption::LeftTab);
    std::stable_sort(tabs.begin(), tabs.end(),
                     [](const QTextOption::Tab& a, const QTextOption::Tab& b) { return a.position < b.position; });
    tabs.erase(std::unique(tabs.begin(), tabs.end(),
                           [](const QTextOption::Tab& a, const QTextOption::Tab& b) { return a.position == b.position; }),
               tabs.end());
    if (!tabs.isEmpty()) f.setTabPositions(tabs);
    blockProps_ = p;
    blockFormat_ = f;
    blockFormatValid_ = true;
    return blockFormat_;
  }

  // ---- pictures -----------------------------------------------------------

  void PictureDigit(char16_t c) {
    const int v = HexValue(c);
    if (v < 0) return;
    if (pict_.pendingNibble < 0) {
      pict_.pendingNibble = v;
    } else {
      pict_.data.append(static_cast<char>(pict_.pendingNibble * 16 + v));
      pict_.pendingNibble = -1;
    }
  }

  void FinishPicture() {
    pictDepth_ = -1;
    Picture pict = std::move(pict_);
    pict_ = Picture();
    if ((pict.blip != Blip::Png && pict.blip != Blip::Jpeg) || pict.data.isEmpty()) return;
    const QImage image = DecodeRtfPicture(
        pict.data, pict.blip == Blip::Png ? RtfPictureKind::Png : RtfPictureKind::Jpeg, pictureBudget_);
    if (image.isNull()) return;
    double width = pict.goalw > 0 ? pict.goalw / 15.0 : image.width();
    double height = pict.goalh > 0 ? pict.goalh / 15.0 : image.height();
    width = std::clamp(width * pict.scalex / 100.0, 1.0, kMaxPictureSide);
    height = std::clamp(height * pict.scaley / 100.0, 1.0, kMaxPictureSide);
    QString name;
    do {
      name = QStringLiteral("rtfpict:%1").arg(++pictures_);
    } while (doc_.resource(QTextDocument::ImageResource, QUrl(name)).isValid());
    doc_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    // The bytes as stored, so that writing gives the same picture back.
    doc_.addResource(QTextDocument::UserResource, RtfPictureSource(name), pict.data);
    QTextImageFormat format;
    format.merge(Format(Cur().chr));
    format.setName(name);
    format.setWidth(width);
    format.setHeight(height);
    Place();
    if (pendingBreak_) {
      cursor_.insertBlock();
      pendingBreak_ = false;
    }
    cursor_.insertImage(format);
  }

  void Finish() {
    FlushBytes();
    if (Cur().dest == Dest::Picture) FinishPicture();
    FlushText();
    if (table_.table) {
      if (!table_.cellEnded && !table_.rowEnded) {
        if (pendingBreak_) cursor_.insertBlock();
        ApplyParagraph();
      }
      EndTable();
    }
    if (!pendingBreak_) ApplyParagraph();
    QTextOption option = doc_.defaultTextOption();
    option.setTabStopDistance(defaultTab_ / 15.0);
    doc_.setDefaultTextOption(option);
    cursor_.endEditBlock();
  }

  QTextDocument& doc_;
  const QFont baseFont_;
  const bool bytes_;
  QTextCursor cursor_;
  std::shared_ptr<const RtfCodePage> codePage_;

  const char16_t* p_ = nullptr;
  const char16_t* end_ = nullptr;
  bool done_ = false;
  std::vector<State> stack_;
  int overflow_ = 0;  // groups opened past the depth bound and not yet closed
  bool ignorable_ = false;
  std::int32_t ucSkip_ = 0;
  QByteArray pendingBytes_;
  int lead_ = -1;  // a lead byte waiting for its trail byte

  QString text_;
  CharProps textProps_;
  bool surrogates_ = false;
  bool pendingBreak_ = false;

  QHash<std::int32_t, QString> fonts_;
  QHash<std::int32_t, std::shared_ptr<const RtfCodePage>> fontPages_;  // of the fonts with a page of their own
  std::shared_ptr<const RtfCodePage> fontPage_;
  std::shared_ptr<const RtfCodePage> fontTablePage_;
  std::int32_t fontPageFont_ = -1;
  std::int32_t deff_ = 0;
  std::int32_t fontNumber_ = 0;
  int fontCharset_ = -1;
  int fontCodePage_ = 0;
  QString fontName_;
  std::int32_t defaultTab_ = 720;
  int footnotes_ = 0;

  TableBuild table_;
  RowDef rowDef_;    // the row definition in force
  CellDef cellDef_;  // what is said of the next cell before its \cellx
  int borderTarget_ = -1;  // the border its words describe: cell sides 0-3, row sides 4-9
  std::int32_t rowLeft_ = 0;
  std::int32_t rowGap_ = -1;
  std::vector<QColor> colours_;
  int colour_[3] = {0, 0, 0};
  bool colourSet_ = false;
  std::unordered_map<CharProps, QTextCharFormat, CharPropsHash> formats_;
  ParaProps blockProps_;
  QTextBlockFormat blockFormat_;
  bool blockFormatValid_ = false;

  std::unordered_map<std::int32_t, ListDef> lists_;           // by \listid
  std::unordered_map<std::int32_t, ListOverride> overrides_;  // by \ls
  std::unordered_map<std::int32_t, ListCount> counts_;        // by \listid
  ListDef list_;
  ListOverride override_;
  LfoLevel lfo_;
  ListLevel level_;
  int listDepth_ = -1, overrideDepth_ = -1, lfoDepth_ = -1, levelDepth_ = -1;
  bool markerGiven_ = false;  // the paragraph spells out its own list marker

  // The numbering being read, the levels of the section's outline, and the
  // count of the numbered paragraphs just read.
  PnLevel pn_;
  int pnDepth_ = -1, pnTextDepth_ = -1;
  int pnSection_ = 0;
  bool pnTextAfter_ = false;
  QString pnBefore_, pnAfter_, pnText_;
  std::array<PnLevel, 10> pnSections_{};
  std::array<QString, 10> pnSectionBefore_{}, pnSectionAfter_{};
  RtfPnCount pnCount_;

  Picture pict_;
  int pictDepth_ = -1;
  std::int64_t pictureBudget_ = kRtfPictureBudget;  // decoded pixels the document's pictures may still take
  QString shapeProperty_;
  int pictures_ = 0;
};

}  // namespace

QUrl RtfPictureSource(const QString& pictureName) {
  return QUrl(QStringLiteral("rtfsource:") + pictureName);
}

bool IsRtf(QStringView text) { return text.startsWith(u"{\\rtf"); }

bool IsRtf(QByteArrayView bytes) { return bytes.startsWith("{\\rtf"); }

void ReadRtf(QStringView rtf, QTextDocument& document, const QFont& baseFont) {
  Reader(document, baseFont, false).Run(rtf);
}

void ReadRtf(QByteArrayView rtf, QTextDocument& document, const QFont& baseFont) {
  const QString wide = QString::fromLatin1(rtf.data(), rtf.size());
  Reader(document, baseFont, true).Run(wide);
}

}  // namespace platform
