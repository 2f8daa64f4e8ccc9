#include "platform/richtext/RtfReader.h"

#include "platform/richtext/RtfCodePage.h"
#include "platform/richtext/RtfPicture.h"

#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

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

enum class Kw : std::uint8_t {
  Unknown,
  Ansi, Mac, Pc, Pca, Ansicpg, Deff,
  Fonttbl, Colortbl, Red, Green, Blue,
  Pict, PngBlip, JpegBlip, OtherBlip, PicW, PicH, PicWGoal, PicHGoal, PicScaleX, PicScaleY, Bin,
  Shppict, Shpinst, Sn, Sv, SkipDest,
  Plain, B, I, Ul, UlNone, Strike, Fs, F, Cf, Cb, Highlight, Super, Sub, NoSuperSub, Fcharset, Cpg,
  Par, Line, Tab, Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Tx, Tqr, Tqc, Tqdec, Deftab, ListText, Chftn,
  Trowd, Cellx, Trleft, Trgaph, CellBorder, Intbl, Itap, Cell, Row,
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
    for (std::string_view w : {"clbrdrt", "clbrdrb", "clbrdrl", "clbrdrr", "trbrdrt", "trbrdrb", "trbrdrl",
                               "trbrdrr", "trbrdrh", "trbrdrv"}) {
      t.emplace(w, Kw::CellBorder);
    }
    // Destinations whose text is not part of what the box shows: footnote
    // bodies, headers and footers too, as a rich-text control shows none of
    // them (a footnote's reference mark stays in the text).
    for (std::string_view w :
         {"stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
          "footerf", "footnote", "annotation", "fldinst", "falt", "nonshppict", "pn", "pntxta", "pntxtb",
          "listtable", "listoverridetable", "revtbl", "rsidtbl", "filetbl", "xmlnstbl", "template", "docvar",
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
  bool operator==(const ParaProps&) const = default;
};

// A shape's instructions show nothing but the picture that is its "pib"
// property: ShapeName collects a property's name, ShapePicture is the value
// group of "pib".
enum class Dest : std::uint8_t { Text, FontTable, ColorTable, Picture, Shape, ShapeName, ShapePicture };

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

// The table being read: its rows grow by doubling, so that a long table is
// built in linear time, and the rows and columns not used are taken away at
// its end.
struct TableBuild {
  QTextTable* table = nullptr;
  int rows = 0, columns = 0;  // in the table, used or not
  int row = 0, cell = 0;      // where the text goes
  int usedColumns = 1;
  bool cellEnded = false;  // \cell seen: the next text opens the next cell
  bool rowEnded = false;   // \row seen: the next text opens the next row
  bool bordered = false;
  double padding = -1;
  std::vector<std::int32_t> widths;  // twips of each column, from the first row that gives them
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

std::shared_ptr<const RtfCodePage> CodePage(int number) {
  // Building a page asks the converter library; documents name few pages.
  static std::mutex lock;
  static std::map<int, std::shared_ptr<const RtfCodePage>> cache;
  const std::lock_guard<std::mutex> guard(lock);
  auto it = cache.find(number);
  if (it != cache.end()) return it->second;
  auto page = std::make_shared<const RtfCodePage>(number);
  if (cache.size() < 64) cache.emplace(number, page);
  return page;
}

class Reader {
 public:
  Reader(QTextDocument& document, const QFont& baseFont, bool bytes)
      : doc_(document), baseFont_(baseFont), bytes_(bytes), cursor_(&document), codePage_(CodePage(1252)) {}

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
      if (kw != Kw::Shppict && kw != Kw::Shpinst) {
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
      case Kw::ListText: s.listText = true; return;
      case Kw::Chftn:
        if (s.dest == Dest::Text) {
          const QString mark = QString::number(++footnotes_);
          for (QChar ch : mark) Char(ch.unicode());
        }
        return;
      case Kw::Trowd:
        rowCellx_.clear();
        rowLeft_ = 0;
        rowGap_ = -1;
        rowBordered_ = false;
        return;
      case Kw::Cellx:
        if (rowCellx_.size() < static_cast<std::size_t>(kMaxColumns)) rowCellx_.push_back(twips(-kMaxTwips));
        return;
      case Kw::Trleft: rowLeft_ = twips(-kMaxTwips); return;
      case Kw::Trgaph: rowGap_ = twips(0); return;
      case Kw::CellBorder: rowBordered_ = true; return;
      case Kw::Intbl: s.para.intbl = on; return;
      case Kw::Itap: s.para.intbl = param > 0; return;
      case Kw::Cell: EndCell(); return;
      case Kw::Row: EndRow(); return;
      case Kw::Ql: s.para.align = 0; return;
      case Kw::Qc: s.para.align = 1; return;
      case Kw::Qr: s.para.align = 2; return;
      case Kw::Qj: s.para.align = 3; return;
      case Kw::Li: s.para.li = twips(-kMaxTwips); return;
      case Kw::Ri: s.para.ri = twips(-kMaxTwips); return;
      case Kw::Fi: s.para.fi = twips(-kMaxTwips); return;
      case Kw::Sb: s.para.sb = twips(0); return;
      case Kw::Sa: s.para.sa = twips(0); return;
      case Kw::U: {
        const std::int32_t v = param < 0 ? param + 65536 : param;
        Char(v >= 0 && v <= 0xFFFF ? SymbolOfPrivateUse(static_cast<char16_t>(v)) : char16_t(0xFFFD));
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
    codePage_ = CodePage(number);
    fontPage_ = nullptr;
  }

  // The code page of "\'hh" bytes: the current font's, where its character
  // set names one, else the document's.
  const RtfCodePage& Page() {
    const std::int32_t font = Cur().chr.font < 0 ? deff_ : Cur().chr.font;
    if (!fontPage_ || font != fontPageFont_) {
      const auto it = fontPages_.constFind(font);
      fontPage_ = it == fontPages_.constEnd() ? codePage_ : CodePage(*it);
      fontPageFont_ = font;
    }
    return *fontPage_;
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
      Char(page.IsSymbol() && Cur().dest == Dest::Text ? page.Map(byte) : byte);
    } else if (page.IsSingleByte()) {
      Char(page.Map(byte));
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
    QString shown(run.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < run.size(); ++i) {
      const char16_t c = run[i].unicode();
      shown[i] = QChar(c < 0x80 ? Page().Map(static_cast<unsigned char>(c)) : c);
    }
    AppendRun(shown);
  }

  // Word processors give a symbol font's characters as U+F020 to U+F0FE.
  char16_t SymbolOfPrivateUse(char16_t c) {
    if (c < 0xF020 || c > 0xF0FE || Cur().dest != Dest::Text || !Page().IsSymbol()) return c;
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
    cursor_.setBlockFormat(BlockFormat(s.para));
    if (cursor_.block().length() == 1) cursor_.setBlockCharFormat(Format(s.chr));
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
      const bool rowFull = table_.cellEnded && !rowCellx_.empty() &&
                           table_.cell + 1 >= static_cast<int>(rowCellx_.size());
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
    // A paragraph mark before \cell leaves an empty paragraph in the cell.
    if (pendingBreak_) cursor_.insertBlock();
    pendingBreak_ = false;
    ApplyParagraph();
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
    table_.columns = std::max<int>(1, static_cast<int>(rowCellx_.size()));
    table_.rows = 1;
    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setAlignment(Qt::AlignLeft);
    table_.table = cursor_.insertTable(1, table_.columns, format);
    TakeRowDefinition();
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
    if (table_.cell + 1 >= kMaxColumns) {
      // Cells past the last column go into it, after a tab.
      const QTextCharFormat format = Format(Cur().chr);
      cursor_.insertText(QStringLiteral("\t"), format);
      return;
    }
    ++table_.cell;
    if (table_.cell >= table_.columns) {
      const int more = std::min(table_.columns, kMaxColumns - table_.columns);
      table_.table->appendColumns(more);
      table_.columns += more;
    }
    table_.usedColumns = std::max(table_.usedColumns, table_.cell + 1);
    MoveToCell();
  }

  void MoveToCell() {
    cursor_ = table_.table->cellAt(table_.row, table_.cell).firstCursorPosition();
    pendingBreak_ = false;
  }

  // The cell boundaries of the row now defined: widths of the columns that
  // no row before has given, and the cells the row has even when empty.
  void TakeRowDefinition() {
    const int defined = static_cast<int>(rowCellx_.size());
    table_.usedColumns = std::max(table_.usedColumns, std::min(defined, kMaxColumns));
    std::int32_t left = rowLeft_;
    for (int i = 0; i < defined; ++i) {
      const std::int32_t right = rowCellx_[static_cast<std::size_t>(i)];
      if (i >= static_cast<int>(table_.widths.size())) table_.widths.push_back(std::clamp(right - left, 0, kMaxTwips));
      left = right;
    }
    if (table_.usedColumns > table_.columns) {
      table_.table->appendColumns(table_.usedColumns - table_.columns);
      table_.columns = table_.usedColumns;
    }
    table_.bordered = table_.bordered || rowBordered_;
    if (table_.padding < 0 && rowGap_ >= 0) table_.padding = std::min(rowGap_ / 15.0, kMaxCellPadding);
  }

  void EndTable() {
    QTextTable* table = table_.table;
    const int rows = table_.row + 1;
    if (table_.rows > rows) table->removeRows(rows, table_.rows - rows);
    if (table_.columns > table_.usedColumns) {
      table->removeColumns(table_.usedColumns, table_.columns - table_.usedColumns);
    }
    QTextTableFormat format = table->format();
    // Widths as the markup gives them, the whole table within the widest
    // indent; columns it gives no width share the rest.
    std::int64_t total = 0;
    for (int i = 0; i < table_.usedColumns && i < static_cast<int>(table_.widths.size()); ++i) {
      total += table_.widths[static_cast<std::size_t>(i)];
    }
    const double scale = total > kMaxTwips ? static_cast<double>(kMaxTwips) / total : 1.0;
    QList<QTextLength> widths;
    for (int i = 0; i < table_.usedColumns; ++i) {
      const std::int32_t w = i < static_cast<int>(table_.widths.size()) ? table_.widths[static_cast<std::size_t>(i)] : 0;
      const auto twips = static_cast<std::int32_t>(w * scale);  // whole twips, as they are written back
      widths.append(twips > 0 ? QTextLength(QTextLength::FixedLength, twips / 15.0) : QTextLength());
    }
    format.setColumnWidthConstraints(widths);
    format.setBorder(table_.bordered ? 1 : 0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(QColor(Qt::black));
    format.setCellPadding(table_.padding >= 0 ? table_.padding : 2);
    table->setFormat(format);
    cursor_ = table->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = TableBuild();
    pendingBreak_ = false;
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

  // ---- tables and formats -------------------------------------------------

  void FinishFontEntry() {
    const int page = fontCodePage_ > 0 ? fontCodePage_ : CodePageOfCharset(fontCharset_);
    if (page > 0) {
      fontPages_.insert(fontNumber_, page);
      fontPage_ = nullptr;
    }
    fontCharset_ = -1;
    fontCodePage_ = 0;
    const QString name = fontName_.trimmed();
    fontName_.clear();
    if (name.isEmpty()) return;
    fonts_.insert(fontNumber_, name);
    formats_.clear();
  }

  QString FontName(std::int32_t number) const {
    // Bytes in a symbol font are read as the characters they show, which
    // the font that stands for it here need not have at those codes.
    if (fontPages_.value(number < 0 ? deff_ : number) == kSymbolCodePage) {
      return number >= 0 && number != deff_ ? FontName(-1) : baseFont_.family();
    }
    auto it = fonts_.constFind(number < 0 ? deff_ : number);
    if (it == fonts_.constEnd()) it = fonts_.constFind(deff_);
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
  QHash<std::int32_t, int> fontPages_;  // code pages of the fonts whose character set names one
  std::shared_ptr<const RtfCodePage> fontPage_;
  std::int32_t fontPageFont_ = -1;
  std::int32_t deff_ = 0;
  std::int32_t fontNumber_ = 0;
  int fontCharset_ = -1;
  int fontCodePage_ = 0;
  QString fontName_;
  std::int32_t defaultTab_ = 720;
  int footnotes_ = 0;

  TableBuild table_;
  std::vector<std::int32_t> rowCellx_;
  std::int32_t rowLeft_ = 0;
  std::int32_t rowGap_ = -1;
  bool rowBordered_ = false;
  std::vector<QColor> colours_;
  int colour_[3] = {0, 0, 0};
  bool colourSet_ = false;
  std::unordered_map<CharProps, QTextCharFormat, CharPropsHash> formats_;
  ParaProps blockProps_;
  QTextBlockFormat blockFormat_;
  bool blockFormatValid_ = false;

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
