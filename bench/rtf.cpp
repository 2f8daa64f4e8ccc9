// Reading a 1 MB rich-text document into the rich-text box, against Qt's own
// HTML import of the same content into a text document. Ours should be at
// least three times as fast.
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <benchmark/benchmark.h>

#include <clocale>

namespace {

struct Content {
  QString rtf;
  QString html;
};

// The same paragraphs in both languages: fonts, sizes, emphases, colours,
// alignments, indents, characters outside ASCII, numbered lists and 3x3
// tables.
const Content& Document() {
  static const Content content = [] {
    const char* fonts[] = {"Arial", "Times New Roman"};
    const char* colours[] = {"#000000", "#ff0000", "#0000ff"};
    const char* alignRtf[] = {"", "\\qc", "\\qr", "\\qj"};
    const char* alignHtml[] = {"left", "center", "right", "justify"};
    const QString words[] = {QStringLiteral("Every"), QStringLiteral("vessel"), QStringLiteral("shall"),
                             QStringLiteral("maintain"), QStringLiteral("a"), QStringLiteral("proper"),
                             QStringLiteral("look-out"), QString::fromUtf8("045°"), QString::fromUtf8("±2°"),
                             QString::fromUtf8("§ 3.2"), QStringLiteral("by"), QStringLiteral("sight")};
    Content c;
    c.rtf = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 Times New "
        "Roman;}}\r\n{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
        "\\viewkind4\\uc1");
    c.html = QStringLiteral("<html><body>");
    const auto rtfText = [](const QString& s) {
      QString out;
      for (QChar ch : s) {
        if (ch.unicode() < 0x80) {
          out += ch;
        } else {
          out += QStringLiteral("\\'%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        }
      }
      return out;
    };
    int n = 0;
    for (int p = 0; c.rtf.size() < 1024 * 1024; ++p) {
      if (p % 10 == 5) {  // a list of three items
        c.html += QStringLiteral("<ol>");
        for (int i = 1; i <= 3; ++i) {
          const QString text = words[(p + i) % 12] + QLatin1Char(' ') + words[(p + 2 * i) % 12];
          c.rtf += QStringLiteral("{\\pntext\\f0 %1.\\tab}\\pard\\li360\\fi-360\\tx360 %2\\par\r\n").arg(i).arg(rtfText(text));
          c.html += QStringLiteral("<li>%1</li>").arg(text.toHtmlEscaped());
        }
        c.html += QStringLiteral("</ol>");
      }
      if (p % 20 == 15) {  // a table of three rows and columns
        c.html += QStringLiteral("<table border=\"1\" cellspacing=\"0\">");
        for (int r = 0; r < 3; ++r) {
          c.rtf += QStringLiteral("\\trowd\\trgaph108\\cellx1800\\cellx3600\\cellx5400\\pard\\intbl ");
          c.html += QStringLiteral("<tr>");
          for (int k = 0; k < 3; ++k) {
            const QString& text = words[(p + r * 3 + k) % 12];
            c.rtf += rtfText(text) + QStringLiteral("\\cell ");
            c.html += QStringLiteral("<td width=\"120\">%1</td>").arg(text.toHtmlEscaped());
          }
          c.rtf += QStringLiteral("\\row\r\n");
          c.html += QStringLiteral("</tr>");
        }
        c.rtf += QStringLiteral("\\pard ");
        c.html += QStringLiteral("</table>");
      }
      const int align = p % 4;
      const int indent = (p % 3) * 210;
      c.rtf += QStringLiteral("\\pard%1\\li%2\\ri%2 ").arg(QLatin1StringView(alignRtf[align])).arg(indent);
      c.html += QStringLiteral("<p style=\"text-align:%1; margin-left:%2px; margin-right:%2px\">")
                    .arg(QLatin1StringView(alignHtml[align]))
                    .arg(indent / 15);
      for (int r = 0; r < 8; ++r, ++n) {
        const int font = n % 2;
        const int size = 10 + 2 * (n % 3);
        const bool bold = n % 5 == 0;
        const bool italic = n % 7 == 0;
        const bool underline = n % 11 == 0;
        const int colour = n % 3;
        QString text;
        for (int w = 0; w < 4; ++w) text += words[(n + w * 5) % 12] + QLatin1Char(' ');
        c.rtf += QStringLiteral("{\\f%1\\fs%2\\cf%3%4%5%6 %7}")
                     .arg(font)
                     .arg(size * 2)
                     .arg(colour + 1)
                     .arg(QLatin1StringView(bold ? "\\b" : ""), QLatin1StringView(italic ? "\\i" : ""),
                          QLatin1StringView(underline ? "\\ul" : ""), rtfText(text));
        c.html += QStringLiteral("<span style=\"font-family:'%1'; font-size:%2pt; color:%3%4%5%6\">%7</span>")
                      .arg(QLatin1StringView(fonts[font]))
                      .arg(size)
                      .arg(QLatin1StringView(colours[colour]),
                           QLatin1StringView(bold ? "; font-weight:bold" : ""),
                           QLatin1StringView(italic ? "; font-style:italic" : ""),
                           QLatin1StringView(underline ? "; text-decoration:underline" : ""), text.toHtmlEscaped());
      }
      c.rtf += QStringLiteral("\\par\r\n");
      c.html += QStringLiteral("</p>");
    }
    c.rtf += QLatin1Char('}');
    c.html += QStringLiteral("</body></html>");
    return c;
  }();
  return content;
}

void RtfIntoTheBox(benchmark::State& state) {
  const QString& rtf = Document().rtf;
  platform::RichTextBox box;
  for (auto _ : state) {
    box.SetTextRTF(rtf);
    benchmark::DoNotOptimize(box.document()->characterCount());
  }
  state.SetBytesProcessed(state.iterations() * rtf.size());
  state.counters["blocks"] = box.document()->blockCount();
}
BENCHMARK(RtfIntoTheBox)->Unit(benchmark::kMillisecond);

void RtfIntoADocument(benchmark::State& state) {
  const QString& rtf = Document().rtf;
  QTextDocument doc;
  for (auto _ : state) {
    platform::ReadRtf(QStringView(rtf), doc);
    benchmark::DoNotOptimize(doc.characterCount());
  }
  state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(RtfIntoADocument)->Unit(benchmark::kMillisecond);

void QtHtmlIntoADocument(benchmark::State& state) {
  const QString& html = Document().html;
  QTextDocument doc;
  for (auto _ : state) {
    doc.setHtml(html);
    benchmark::DoNotOptimize(doc.characterCount());
  }
  state.SetBytesProcessed(state.iterations() * html.size());
  state.counters["blocks"] = doc.blockCount();
}
BENCHMARK(QtHtmlIntoADocument)->Unit(benchmark::kMillisecond);

void QtHtmlIntoATextEdit(benchmark::State& state) {
  const QString& html = Document().html;
  QTextEdit edit;
  for (auto _ : state) {
    edit.setHtml(html);
    benchmark::DoNotOptimize(edit.document()->characterCount());
  }
  state.SetBytesProcessed(state.iterations() * html.size());
}
BENCHMARK(QtHtmlIntoATextEdit)->Unit(benchmark::kMillisecond);

void WriteTheBox(benchmark::State& state) {
  platform::RichTextBox box;
  box.SetTextRTF(Document().rtf);
  qsizetype size = 0;
  for (auto _ : state) {
    const QString rtf = box.TextRTF();
    size = rtf.size();
    benchmark::DoNotOptimize(size);
  }
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(WriteTheBox)->Unit(benchmark::kMillisecond);

// Font size over a whole text, as Varnok sets it on every step (select all,
// then the selection's size) and as the font-size menu sets it (the box's
// size), beside Qt's one merge of a size over the whole document. Argument 0
// is a 68 KB step with 1,000 blank lines, 1 a 5 MB document.
QString StepWithBlankLines() {
  QString rtf = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\viewkind4\\uc1\\pard\\f0\\fs20 ");
  for (int i = 0; i < 1000; ++i) {
    rtf += QStringLiteral("{\\b %1.} Plot the target, note the time, compare the plots.\\par\r\n\\par\r\n").arg(i);
  }
  return rtf + QLatin1Char('}');
}

// The benchmark document and the step in turns, to 5 MB.
QString LargeDocument() {
  const QString& rtf = Document().rtf;
  const QString step = StepWithBlankLines();
  const auto body = [](const QString& doc) {
    const qsizetype from = doc.indexOf(QLatin1StringView("\\uc1")) + 4;
    return QStringView(doc).mid(from, doc.size() - from - 1);
  };
  QString out = rtf.left(rtf.indexOf(QLatin1StringView("\\uc1")) + 4);
  while (out.size() < 5 * 1024 * 1024) {
    out += body(rtf);
    out += QStringLiteral("\\pard\\plain ");
    out += body(step);
  }
  return out + QLatin1Char('}');
}

const QString& FontSizeDocument(std::int64_t which) {
  static const QString step = StepWithBlankLines();
  static const QString large = LargeDocument();
  return which == 0 ? step : large;
}

// The box on screen, as in the program: every change is laid out.
void Show(platform::RichTextBox& box) {
  box.resize(760, 250);
  box.show();
  QApplication::processEvents();
}

void Loaded(benchmark::State& state, platform::RichTextBox& box) {
  state.PauseTiming();
  box.SetTextRTF(FontSizeDocument(state.range(0)));
  QApplication::processEvents();
  state.ResumeTiming();
}

void SelectionFontSizeOverAll(benchmark::State& state) {
  platform::RichTextBox box;
  Show(box);
  int size = 8;
  for (auto _ : state) {
    Loaded(state, box);
    box.SetSelStart(0);
    box.SetSelLength(static_cast<int>(FontSizeDocument(state.range(0)).size()));
    box.SetSelFontSize(size = 18 - size);
    QApplication::processEvents();
  }
  state.counters["KB"] = static_cast<double>(FontSizeDocument(state.range(0)).size()) / 1024;
}
BENCHMARK(SelectionFontSizeOverAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void IndentsOverAll(benchmark::State& state) {
  platform::RichTextBox box;
  Show(box);
  for (auto _ : state) {
    Loaded(state, box);
    box.SetSelStart(0);
    box.SetSelLength(static_cast<int>(FontSizeDocument(state.range(0)).size()));
    box.SetSelIndent(210);
    box.SetSelRightIndent(210);
    QApplication::processEvents();
  }
}
BENCHMARK(IndentsOverAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BoxFontSize(benchmark::State& state) {
  platform::RichTextBox box;
  Show(box);
  int size = 8;
  for (auto _ : state) {
    Loaded(state, box);
    box.SetFontSize(size = 18 - size);
    QApplication::processEvents();
  }
}
BENCHMARK(BoxFontSize)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void QtMergeOverAll(benchmark::State& state) {
  platform::RichTextBox box;
  Show(box);
  int size = 8;
  for (auto _ : state) {
    Loaded(state, box);
    QTextCharFormat change;
    change.setFontPointSize(size = 18 - size);
    QTextCursor all(box.document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(change);
    QApplication::processEvents();
  }
}
BENCHMARK(QtMergeOverAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
