#include "frontend/frmMain.h"

#include <QActionGroup>
#include <QDir>
#include <QKeySequence>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>

#include "frontend/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/values/Edition.h"
#include "platform/forms/Program.h"
#include "platform/system/Settings.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"

namespace frontend {

using platform::VbError;
namespace err = platform::err;

namespace {

const QString kSettingsApp = QStringLiteral("QVRV 5");
const QString kSettingsSection = QStringLiteral("Settings");

// A stored geometry value: the text of a single-precision number; anything
// else falls back to the default.
double ReadGeometry(const QString& key, double fallback) {
  const QString text = platform::GetSetting(kSettingsApp, kSettingsSection, key, QString());
  bool ok = false;
  const float value = platform::Trim(text).toFloat(&ok);
  return ok ? static_cast<double>(value) : fallback;
}

bool IsFileMissingError(std::int32_t number) {
  return number == err::ProviderFailure || number == err::FileNotFound || number == err::PathFileAccess ||
         number == err::PathNotFound;
}

}  // namespace

void DragLabel::mouseMoveEvent(QMouseEvent* event) {
  if (MouseMove)
    MouseMove(platform::VbButtons(event->buttons()), platform::VbShift(event->modifiers()),
              platform::PixelsToTwips(static_cast<int>(event->position().x())),
              platform::PixelsToTwips(static_cast<int>(event->position().y())));
  QLabel::mouseMoveEvent(event);
}

frmMain::DatabaseRecovery MenuDatabaseRecovery(const QString& catalogFileName) {
  return {catalogFileName, QStringLiteral("Main menu file not found:"),
          QStringLiteral("Sorry, main menu file still not found:"), platform::adModeRead,
          QStringLiteral("p@lvoran k0mte")};
}

frmMain::frmMain(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frmMain"));
  QWidget* client = Client();

  tvwDB = new platform::TreeView(client);
  tvwDB->setObjectName(QStringLiteral("tvwDB"));
  tvwDB->SetImageList(&imlSmallIcons);
  tvwDB->Expand = [this](platform::TreeNode* n) { platform::RunHandler([&] { tvwDB_Expand(n); }); };
  tvwDB->Collapse = [this](platform::TreeNode* n) { platform::RunHandler([&] { tvwDB_Collapse(n); }); };
  tvwDB->NodeClick = [this](platform::TreeNode* n) { platform::RunHandler([&] { tvwDB_NodeClick(n); }); };
  tvwDB->BeforeLabelEdit = [this](int& cancel) { tvwDB_BeforeLabelEdit(cancel); };

  lvwDB = new platform::ListView(client);
  lvwDB->setObjectName(QStringLiteral("lvwDB"));
  lvwDB->SetIcons(&imlIcons);
  lvwDB->SetSmallIcons(&imlSmallIcons);
  lvwDB->MouseMove = [this](int b, int s, double x, double y) {
    platform::RunHandler([&] { lvwDB_MouseMove(b, s, x, y); });
  };
  lvwDB->ColumnClick = [this](int c) { platform::RunHandler([&] { lvwDB_ColumnClick(c); }); };
  lvwDB->MouseDown = [this](int b, int s, double x, double y) {
    platform::RunHandler([&] { lvwDB_MouseDown(b, s, x, y); });
  };

  lblHorDrag = new DragLabel(client);
  lblHorDrag->setObjectName(QStringLiteral("lblHorDrag"));
  // The width the start-up gives it, already for the first layout, which
  // runs as the window is first shown.
  platform::SetWidth(lblHorDrag, 80);
  lblHorDrag->MouseMove = [this](int b, int s, double x, double y) {
    platform::RunHandler([&] { lblHorDrag_MouseMove(b, s, x, y); });
  };

  sbrDB = new platform::StatusBar(client);
  sbrDB->setObjectName(QStringLiteral("sbrDB"));
  sbrDB->SetStyle(platform::sbrSimple);

  mnuFile = MenuBar()->addMenu(QStringLiteral("&File"));
  mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
  connect(mnuExit, &QAction::triggered, this, [this] { platform::RunHandler([&] { mnuExit_Click(); }); });

  mnuView = MenuBar()->addMenu(QStringLiteral("&View"));
  const std::array<QString, 4> captions = {QStringLiteral("&Icons"), QStringLiteral("&SmallIcons"),
                                           QStringLiteral("&List"), QStringLiteral("&Report")};
  for (int i = 0; i < 4; ++i) {
    mnuViewIcons[i] = mnuView->addAction(captions[i]);
    mnuViewIcons[i]->setCheckable(true);
    connect(mnuViewIcons[i], &QAction::triggered, this,
            [this, i] { platform::RunHandler([&] { mnuViewIcons_Click(i); }); });
  }
  mnuViewIcons[2]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  mnuViewIcons[3]->setChecked(true);

  // ---- Study-time logging and the Users and Help menus ----
  CreateStudyLogControls();
  CreateUsersAndHelpMenus();
}

frmMain::~frmMain() = default;

void frmMain::Form_Load() {
  // 1
  LoggingOn = false;
  SectionRecording = false;
  // 2
  AppFolder = platform::AppFolderFrom(platform::ProgramFolder());
  QDir::setCurrent(AppFolder.isEmpty() ? QStringLiteral("/") : AppFolder);
  // 3
  tvwDB->setVisible(false);
  lvwDB->setVisible(false);
  // 4, 5
  const EditionValues edition = EditionFor(platform::EditionCode());
  EditionTitle = edition.editionTitle;
  SetCaption(edition.caption);
  if (imlIcons.Exists(edition.iconKey)) setWindowIcon(QIcon(imlIcons.ListImage(edition.iconKey)));
  CatalogFileName = EditionTitle + QStringLiteral(".mdb");
  // 6
  mnuUsers->setEnabled(true);
  // 7
  SetWidth(ReadGeometry(QStringLiteral("MainWidth"), platform::Screen::Width() * 0.95));
  SetLeft(ReadGeometry(QStringLiteral("MainLeft"), (platform::Screen::Width() - Width()) / 2));
  SetTop(ReadGeometry(QStringLiteral("MainTop"), 10));
  SetHeight(ReadGeometry(QStringLiteral("MainHeight"), platform::Screen::Height() * 0.94));
  platform::SetLeft(lblHorDrag, ReadGeometry(QStringLiteral("VBarPos"), 3630));
  // 8
  QuoteChar = QStringLiteral("\"");

  // 9: from here on every error goes to the start-up's handling, and work
  // goes on with the step after the one that failed.
  const std::vector<std::function<void()>> steps = {
      [&] {  // 10
        CatalogConnection = std::make_unique<platform::Connection>();
        CatalogConnection->ConnectionString = platform::JetConnectionString(
            AppFolder + edition.catalogFolder + CatalogFileName, QStringLiteral("korvinel"));
        CatalogConnection->Mode = platform::adModeRead;
        CatalogConnection->Open();
      },
      [&] { lvwDB->SetView(platform::lvwReport); },  // 11
      [&] {                                            // 12
        tvwDB->setRootIsDecorated(true);
        tvwDB->setIndentation(16);
        CurrentNode = tvwDB->Add();
      },
      [&] {  // 13
        CurrentNode->SetText(EditionTitle);
        CurrentNode->Tag = EditionTitle + QStringLiteral("section");
        CurrentNode->SetImage(QString());
      },
      [&] {  // 14
        Show();
        LoadSectionTree();
      },
      [&] {  // 15
        platform::SetWidth(lblHorDrag, 80);
        lblHorDrag->setCursor(platform::CursorOf(platform::vbSizeWE));
        lblHorDrag->setAutoFillBackground(true);
      },
      [&] {  // 16
        tvwDB->setVisible(true);
        lvwDB->setVisible(true);
        lvwDB->Refresh();
        tvwDB->update();
      },
  };
  RunDatabaseSteps(steps, CatalogConnection, MenuDatabaseRecovery(CatalogFileName));
}

bool frmMain::RunDatabaseSteps(const std::vector<std::function<void()>>& steps,
                               std::unique_ptr<platform::Connection>& connection, const DatabaseRecovery& recovery) {
  for (const auto& step : steps) {
    try {
      step();
    } catch (const VbError& e) {
      if (!IsFileMissingError(e.Number())) {
        FailUnexpected(e);
        return false;
      }
      if (!RecoverDatabase(connection, recovery, e)) return false;
    }
  }
  return true;
}

bool frmMain::RecoverDatabase(std::unique_ptr<platform::Connection>& connection,
                              const DatabaseRecovery& recovery, const VbError& error) {
  connection = std::make_unique<platform::Connection>();
  platform::MsgBox(recovery.firstText + platform::vbCrLf + error.Description(), platform::vbExclamation,
                   QStringLiteral("Error"));
  const QString path = BrowseForMissingFile(recovery.fileName);
  if (path.isEmpty()) {
    platform::MsgBox(recovery.fatalText + platform::vbCrLf + error.Description(), platform::vbCritical,
                     QStringLiteral("Fatal Error"));
    Unload();
    platform::End();
  }
  connection->ConnectionString = platform::JetConnectionString(path, recovery.retryPassword);
  connection->Mode = recovery.mode;
  try {
    connection->Open();
    if (recovery.check) recovery.check(*connection);
  } catch (const VbError& again) {
    // The chosen file does not open or serve either (another password,
    // not a database, no table to write): there is nothing left to try.
    platform::MsgBox(recovery.fatalText + platform::vbCrLf + again.Description(), platform::vbCritical,
                     QStringLiteral("Fatal Error"));
    Unload();
    platform::End();
  }
  return true;
}

void frmMain::FailUnexpected(const VbError& error) {
  platform::MsgBox(QStringLiteral("Unexpected Error: ") + error.Description(), platform::vbCritical,
                   QStringLiteral("Fatal Error"));
  Unload();
  platform::End();
}

QString frmMain::BrowseForMissingFile(const QString& fileName) {
  try {
    dlgFileName_ = platform::ShowOpenDialog({QStringLiteral("Can't Find ") + fileName, QStringLiteral("(*.*)|*.*"),
                                             dlgFileName_});
    return dlgFileName_;
  } catch (const VbError& e) {
    FailUnexpected(e);
  }
  return QString();
}

void frmMain::Form_QueryUnload(int& cancel, int) { cancel = 0; }

void frmMain::Form_Unload(int&) {
  if (WindowState() != platform::vbMinimized) {
    // One write: a settings file that cannot be written keeps all its
    // values, and the close goes on.
    platform::SaveSettings(kSettingsApp, kSettingsSection,
                           {{QStringLiteral("MainLeft"), platform::SingleText(Left())},
                            {QStringLiteral("MainTop"), platform::SingleText(Top())},
                            {QStringLiteral("MainWidth"), platform::SingleText(Width())},
                            {QStringLiteral("MainHeight"), platform::SingleText(Height())},
                            {QStringLiteral("VBarPos"), platform::SingleText(platform::Left(lblHorDrag))}});
  }
  CatalogConnection.reset();
  StudyConnection.reset();
  const auto forms = platform::Form::Forms();
  for (int i = static_cast<int>(forms.size()) - 1; i >= 1; --i) forms[i]->Unload();
  platform::End();
}

void frmMain::Form_GotFocus() {
  lvwDB->setVisible(true);
  lvwDB->Refresh();
}

void frmMain::Form_Resize() { ArrangeControls(); }

void frmMain::ArrangeControls() {
  using platform::RoundHalfEven;
  // 1, 2
  double h = RoundHalfEven(ScaleHeight() - platform::Height(sbrDB) - 40);
  if (h < 600) h = 600;
  platform::SetHeight(lblHorDrag, h);
  // 3
  if (sbrDB->PanelCount() > 0) sbrDB->SetPanelMinWidth(1, Width());
  // 4
  double t = RoundHalfEven(platform::Left(lblHorDrag) - 40);
  if (t < 600) t = 600;
  platform::SetLeft(tvwDB, 40);
  platform::SetWidth(tvwDB, t);
  platform::SetHeight(tvwDB, h);
  platform::SetTop(tvwDB, 0);
  platform::SetTop(lvwDB, 0);
  platform::SetTop(lblHorDrag, 120);
  // 5
  platform::SetLeft(lvwDB, platform::Left(lblHorDrag) + platform::Width(lblHorDrag));
  // 6
  double w = RoundHalfEven(ScaleWidth() - platform::Left(lvwDB) - 40);
  if (w < 600) w = 600;
  platform::SetWidth(lvwDB, w);
  platform::SetHeight(lvwDB, h);
  // 7 to 10: the backdrop stretched to the list's size
  const QSize size(platform::TwipsToPixels(w), platform::TwipsToPixels(h));
  picI = QPixmap(size);
  picI.fill(Qt::white);
  const QString key = platform::EditionCode() == QLatin1String("OOW") ? QStringLiteral("QVROOWBackdrop")
                                                                      : QStringLiteral("QVRMMBackdrop");
  {
    QPainter painter(&picI);
    painter.drawPixmap(QRect(QPoint(0, 0), size), imlRightPanel.ListImage(key));
  }
  lvwDB->SetPicture(picI);
  // 11, 12
  SetUpListColumns();
  lvwDB->Refresh();
}

void frmMain::lblHorDrag_MouseMove(int button, int, double x, double) {
  if (button != 1) return;
  const double n = platform::RoundHalfEven(platform::Left(lblHorDrag) + x - 40);
  if (n < 1200) return;
  if (n > ScaleWidth() - 1200) return;
  if (std::abs(n - platform::Left(lblHorDrag)) <= 6) return;
  platform::SetLeft(lblHorDrag, n);
  ArrangeControls();
}

void frmMain::lvwDB_ColumnClick(int column) {
  lvwDB->SetSortKey(column - 1);
  lvwDB->SetSorted(true);
}

void frmMain::SetUpListColumns() {
  lvwDB->ClearColumnHeaders();
  lvwDB->AddColumnHeader(QStringLiteral("   Section:"), 0.76 * platform::Width(lvwDB));
  ListColumnsReady = 1;
}

void frmMain::LoadSectionTree() {
  platform::Recordset rs;
  rs.Open(*CatalogConnection, QStringLiteral("MainTableRecords"));
  rs.MoveLast();
  rs.MoveFirst();
  QString previous;
  while (!rs.IsEOF()) {
    const QString title = rs.Value(QStringLiteral("Left Panel Title")).ToText();
    if (title != previous) {
      CurrentNode = tvwDB->Add(tvwDB->Item(1), platform::tvwChild, title, title, QStringLiteral("closed"));
      CurrentNode->Tag = QStringLiteral("LeftPanelTitle");
    }
    previous = title;
    rs.MoveNext();
  }
  rs.Close();
  sbrDB->SetStyle(platform::sbrNormal);
  tvwDB->Item(1)->SetSelected(true);
  tvwDB->Item(1)->SetExpanded(true);
}

void frmMain::LoadSectionGroup(platform::TreeNode* groupNode, const QString& title) {
  if (groupNode->Children() > 0) {
    ShowSectionGroup(title);
    return;
  }
  lvwDB->Clear();
  if (!ListSections(title, groupNode)) return;
  ShownGroupTitle = title;
  ArrangeControls();
}

void frmMain::ShowSectionGroup(const QString& title) {
  lvwDB->Clear();
  mnuViewIcons_Click(platform::lvwReport);
  ListSections(title, nullptr);
  ShownGroupTitle = title;
  ArrangeControls();
}

bool frmMain::ListSections(const QString& title, platform::TreeNode* newNodesUnder) {
  platform::Recordset rs;
  // The title is bound, not pasted: a title holding a quote lists its sections.
  rs.Open(*CatalogConnection,
          QStringLiteral("SELECT [Left Panel Title], [Right Panel Title], [Icon Type], [Program Type], Start, "
                         "[Parameter 1], [Parameter 2], [Parameter 3] "
                         "FROM MainTableRecords WHERE MainTableRecords.[Left Panel Title]= ?"),
          {platform::Variant(title)});
  if (rs.RecordCount() == 0) return false;
  for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
    // A row that the tree or the list refuses is left out; the next goes on.
    if (newNodesUnder) {
      try {
        AddSectionNode(newNodesUnder, rs);
      } catch (const VbError&) {
      }
    }
    try {
      AddSectionListItem(rs);
    } catch (const VbError&) {
    }
  }
  return true;
}

platform::TreeNode* frmMain::AddSectionNode(platform::TreeNode* groupNode, const platform::Recordset& row) {
  const QString group = row.Value(QStringLiteral("Left Panel Title")).ToText();
  const QString section = row.Value(QStringLiteral("Right Panel Title")).ToText();
  platform::TreeNode* node = tvwDB->Add(groupNode, platform::tvwChild, group + section, section, QStringLiteral("leaf"));
  node->Tag = QStringLiteral("RightTitle");
  return node;
}

void frmMain::AddSectionListItem(const platform::Recordset& row) {
  const QString section = row.Value(QStringLiteral("Right Panel Title")).ToText();
  const QString icon = row.Value(QStringLiteral("Icon Type")).ToText();
  LastListItem = lvwDB->Add(section, section, icon, QStringLiteral("sml") + icon);
  LastListItem->AddSubItem(QStringLiteral("doctype"),
                           icon == QLatin1String("exam") ? QStringLiteral("Test") : QStringLiteral("Data"));
  LastListItem->AddSubItem(QStringLiteral("progtype"), row.Value(QStringLiteral("Program Type")).ToText());
  const std::array<std::pair<QString, QString>, 4> optional = {{
      {QStringLiteral("start"), QStringLiteral("Start")},
      {QStringLiteral("parameter1"), QStringLiteral("Parameter 1")},
      {QStringLiteral("parameter2"), QStringLiteral("Parameter 2")},
      {QStringLiteral("parameter3"), QStringLiteral("Parameter 3")},
  }};
  for (const auto& [key, field] : optional) {
    const platform::Variant value = row.Value(field);
    if (!value.IsNull()) LastListItem->AddSubItem(key, value.ToText());
  }
}

void frmMain::ShowGroupStatus(platform::TreeNode* groupNode) {
  sbrDB->ClearPanels();
  sbrDB->AddPanel(QStringLiteral("name"), groupNode->Text());
  sbrDB->AddPanel(QStringLiteral("number"), QString::number(groupNode->Children()) + QStringLiteral(" section(s)"));
  sbrDB->SetPanelAutoSize(1, platform::sbrContents);
  sbrDB->SetPanelAutoSize(2, platform::sbrSpring);
}

void frmMain::tvwDB_BeforeLabelEdit(int& cancel) { cancel = 1; }

void frmMain::tvwDB_Collapse(platform::TreeNode* node) {
  if (node->Index() == 1) node->SetImage(QStringLiteral("closed"));
}

void frmMain::tvwDB_Expand(platform::TreeNode* node) {
  if (node->Index() == 1) {
    node->SetImage(QStringLiteral("open"));
    node->SetSelected(true);
  } else {
    node->SetExpanded(false);
  }
  const bool group = node->Tag == QLatin1String("LeftPanelTitle");
  if (ListColumnsReady != 1 && group) SetUpListColumns();
  if (node->Text() != ShownGroupTitle && group) LoadSectionGroup(node, node->Text());
  if (group) ShowGroupStatus(node);
  node->SetSelected(true);
}

void frmMain::tvwDB_NodeClick(platform::TreeNode* node) {
  mnuViewIcons_Click(platform::lvwReport);
  const bool group = node->Tag == QLatin1String("LeftPanelTitle");
  if (ListColumnsReady != 1 && group) SetUpListColumns();
  if (node->Text() != ShownGroupTitle && group) LoadSectionGroup(node, node->Text());
  if (group) ShowGroupStatus(node);
  node->SetSelected(true);
}

void frmMain::lvwDB_MouseMove(int, int, double x, double y) { lvwDB->SetDropHighlight(lvwDB->HitTest(x, y)); }

void frmMain::mnuViewIcons_Click(int index) {
  lvwDB->SetView(index);
  for (QAction* a : mnuViewIcons) a->setChecked(false);
  mnuViewIcons[index]->setChecked(true);
  if (index == 0) {
    lvwDB->SetFontSize(9);
    lvwDB->SetFontBold(false);
  } else {
    lvwDB->SetFontSize(12);
    lvwDB->SetFontBold(true);
  }
  lvwDB->Refresh();
}

}  // namespace frontend
