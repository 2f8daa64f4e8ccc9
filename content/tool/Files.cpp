// The text files of the folder: the web page set, the buoyage animation, the
// documents, the training report's page and the pages of the help books.
#include "Content.h"

namespace content {
namespace {

const char* const kStyle = R"css(body { font-family: "DejaVu Sans", sans-serif; margin: 0; color: #1f2a36; background: #f7f2e4; }
header { background: #1f3a5f; color: #fff; padding: 14px 24px; border-bottom: 4px solid #fb9f3c; }
header h1 { margin: 0; font-size: 22px; }
main { padding: 8px 24px 24px; max-width: 820px; }
h2 { color: #1f3a5f; border-bottom: 1px solid #c8d4e0; padding-bottom: 3px; }
nav a, a { color: #24547e; }
table { border-collapse: collapse; }
td, th { border: 1px solid #c8d4e0; padding: 4px 8px; text-align: left; }
th { background: #e2eef7; }
.note { background: #fff; border-left: 4px solid #fb9f3c; padding: 8px 12px; }
)css";

QByteArray Page(const QString& title, const QString& body, const QString& style = QStringLiteral("style.css")) {
  return QStringLiteral(
             "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
             "<link rel=\"stylesheet\" href=\"%3\">\n</head>\n<body>\n<header><h1>%1</h1></header>\n<main>\n%2\n</main>\n"
             "</body>\n</html>\n")
      .arg(title, body, style)
      .toUtf8();
}

// The buoyage animation: a ship runs up a buoyed channel at night while the
// marks show their lights.
const char* const kAnimation = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Buoyage: entering harbour in region A</title>
<style>
  body { margin: 0; background: #0f2236; font-family: "DejaVu Sans", sans-serif; color: #e8eef4; }
  h1 { font-size: 18px; margin: 10px 16px; }
  p { margin: 4px 16px 10px; font-size: 13px; color: #b8c8d8; }
  svg { display: block; width: 100%; height: calc(100vh - 80px); }
  .ship { animation: run 14s linear infinite; }
  @keyframes run { from { transform: translate(0px, 360px); } to { transform: translate(0px, -420px); } }
  .red { animation: flash-red 4s steps(1) infinite; }
  .green { animation: flash-green 4s steps(1) infinite; }
  .red.b { animation-delay: -1.3s; } .green.b { animation-delay: -2.1s; }
  @keyframes flash-red { 0% { fill: #ff4a3a; } 12% { fill: #3a1412; } 100% { fill: #3a1412; } }
  @keyframes flash-green { 0% { fill: #4aff7a; } 12% { fill: #12321c; } 100% { fill: #12321c; } }
  .wave { stroke: #2e5680; stroke-width: 2; fill: none; animation: drift 6s linear infinite; }
  @keyframes drift { from { transform: translateX(0); } to { transform: translateX(-80px); } }
</style>
</head>
<body>
<h1>Buoyage: entering harbour in region A</h1>
<p>Going in from seaward, keep the red port-hand marks on your port side and the green starboard-hand marks on your starboard side.</p>
<svg viewBox="0 0 600 480" preserveAspectRatio="xMidYMid meet" role="img" aria-label="A ship entering a buoyed channel">
  <rect width="600" height="480" fill="#13304c"/>
  <g>
    <path class="wave" d="M-80 60 q20 -8 40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0"/>
    <path class="wave" d="M-80 180 q20 -8 40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0"/>
    <path class="wave" d="M-80 300 q20 -8 40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0"/>
    <path class="wave" d="M-80 420 q20 -8 40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0 t40 0"/>
  </g>
  <!-- Port-hand marks: red cans on the left going in. -->
  <g><rect x="170" y="110" width="22" height="30" fill="#c8372d"/><rect x="174" y="96" width="14" height="10" fill="#c8372d"/>
     <circle class="red" cx="181" cy="88" r="6"/></g>
  <g><rect x="160" y="330" width="22" height="30" fill="#c8372d"/><rect x="164" y="316" width="14" height="10" fill="#c8372d"/>
     <circle class="red b" cx="171" cy="308" r="6"/></g>
  <!-- Starboard-hand marks: green cones on the right. -->
  <g><polygon points="400,140 424,140 412,108" fill="#288c50"/><polygon points="405,104 419,104 412,92" fill="#288c50"/>
     <circle class="green" cx="412" cy="84" r="6"/></g>
  <g><polygon points="410,360 434,360 422,328" fill="#288c50"/><polygon points="415,324 429,324 422,312" fill="#288c50"/>
     <circle class="green b" cx="422" cy="304" r="6"/></g>
  <!-- The ship, seen from above, with her sidelights. -->
  <g class="ship">
    <path d="M300 70 C312 88 314 104 314 120 L314 190 Q314 196 308 196 L292 196 Q286 196 286 190 L286 120 C286 104 288 88 300 70 Z"
          fill="#f4f2ec" stroke="#1f3a5f" stroke-width="2"/>
    <rect x="290" y="160" width="20" height="24" rx="3" fill="#3c5c80"/>
    <circle cx="289" cy="128" r="4" fill="#ff4a3a"/><circle cx="311" cy="128" r="4" fill="#4aff7a"/>
    <circle cx="300" cy="104" r="4" fill="#ffffff"/>
  </g>
  <text x="40" y="466" fill="#b8c8d8" font-size="13">Red to port, green to starboard, going in.</text>
</svg>
</body>
</html>
)html";

}  // namespace

QList<TextFile> SampleTextFiles() {
  QList<TextFile> files;
  // The web page set (the stand-in program shows it).
  files.append({QStringLiteral("WebPack/style.css"), kStyle});
  files.append({QStringLiteral("WebPack/tkb300565.htm"),
                Page(QStringLiteral("Passage planning"),
                     QStringLiteral(
                         "<p class=\"note\">A passage is planned from berth to berth before the ship sails, and "
                         "the plan is followed and checked throughout the voyage.</p>\n"
                         "<h2>The four stages</h2>\n<ol>\n"
                         "<li><a href=\"appraisal.htm\">Appraisal</a>: gather the information for the voyage.</li>\n"
                         "<li>Planning: lay the track on the charts and mark the dangers.</li>\n"
                         "<li>Execution: carry out the plan, taking account of the conditions found.</li>\n"
                         "<li><a href=\"monitoring.htm\">Monitoring</a>: check the ship's progress against the plan.</li>\n"
                         "</ol>\n<h2>Sources</h2>\n<table>\n<tr><th>Source</th><th>Used for</th></tr>\n"
                         "<tr><td>Charts and notices to mariners</td><td>track, dangers, depths</td></tr>\n"
                         "<tr><td>Sailing directions</td><td>local knowledge, pilotage</td></tr>\n"
                         "<tr><td>Tide tables and tidal stream atlases</td><td>under-keel clearance, set and drift</td></tr>\n"
                         "<tr><td>List of lights and radio signals</td><td>landfall lights, reporting points</td></tr>\n"
                         "</table>\n"))});
  files.append({QStringLiteral("WebPack/appraisal.htm"),
                Page(QStringLiteral("Appraisal"),
                     QStringLiteral("<p>Collect every piece of information relevant to the voyage: the ship's "
                                    "condition and draught, the cargo, the charts and publications, the weather "
                                    "expected and the areas of dense traffic or restricted water.</p>\n"
                                    "<p><a href=\"tkb300565.htm\">Back to passage planning</a></p>"))});
  files.append({QStringLiteral("WebPack/monitoring.htm"),
                Page(QStringLiteral("Monitoring"),
                     QStringLiteral("<p>Fix the position at intervals suited to the area, by more than one means "
                                    "where possible. Compare the fix with the planned track and correct for set "
                                    "and leeway. Use clearing bearings and parallel indexing near dangers.</p>\n"
                                    "<p><a href=\"tkb300565.htm\">Back to passage planning</a></p>"))});

  files.append({QStringLiteral("Animations/buoyage.htm"), kAnimation});

  // Documents.
  files.append({QStringLiteral("Docs/style.css"), kStyle});
  files.append({QStringLiteral("Docs/Gas carriers.html"),
                Page(QStringLiteral("Liquefied gas carriers"),
                     QStringLiteral(
                         "<p>Gas carriers carry liquefied gases such as LNG, LPG and ammonia, either fully "
                         "refrigerated, semi-refrigerated or under pressure.</p>\n"
                         "<h2>Cargo containment</h2>\n<ul>\n"
                         "<li>Independent type A, B and C tanks: spherical Moss tanks are type B, pressure vessels type C.</li>\n"
                         "<li>Membrane tanks: a thin metal membrane supported by insulation and the inner hull.</li>\n</ul>\n"
                         "<h2>Hazards</h2>\n<ul>\n<li>Flammable vapour clouds.</li>\n"
                         "<li>Cold burns and brittle fracture of ordinary steel.</li>\n"
                         "<li>Toxic cargoes such as ammonia and chlorine.</li>\n</ul>\n"
                         "<p class=\"note\">The IGC Code sets the construction and equipment standards for these ships.</p>\n"))});
  files.append({QStringLiteral("Docs/Safe working.txt"),
                QByteArray("CODE OF SAFE WORKING PRACTICES - KEY POINTS\n"
                           "===========================================\n\n"
                           "1. Permit to work\n"
                           "   Hot work, enclosed space entry, work aloft or over the side and work on\n"
                           "   electrical equipment need a permit signed by a responsible officer.\n\n"
                           "2. Enclosed spaces\n"
                           "   Ventilate, test the atmosphere (oxygen 21 %, no flammable or toxic gas),\n"
                           "   keep a stand-by person at the entrance and rescue equipment ready.\n\n"
                           "3. Personal protective equipment\n"
                           "   Safety helmet, safety shoes, gloves, eye and ear protection as the job\n"
                           "   demands; a harness when working aloft.\n\n"
                           "4. Mooring operations\n"
                           "   Stand clear of the snap-back zone of lines under load. Never stand in a\n"
                           "   bight. One person gives the orders.\n\n"
                           "5. Housekeeping\n"
                           "   Keep decks clear of oil and loose gear; secure everything for sea.\n")});
  files.append({QStringLiteral("Docs/Contacts.txt"),
                QByteArray("EMERGENCY CONTACTS (SAMPLE)\n"
                           "==========================\n\n"
                           "Distress, VHF DSC ............ channel 70\n"
                           "Distress, VHF voice .......... channel 16\n"
                           "Radio medical advice ......... through any coast station\n"
                           "Company designated person .... see the ship's emergency contact list\n"
                           "Nearest rescue coordination .. see the admiralty list of radio signals\n\n"
                           "Keep this list up to date and posted on the bridge.\n")});

  // The training report program lies outside this package; the stand-in shows a page that says so.
  files.append({QStringLiteral("Training/style.css"), kStyle});
  files.append({QStringLiteral("Training/TKBTrainingReport.htm"),
                Page(QStringLiteral("Training report"),
                     QStringLiteral("<p class=\"note\">The training report program is not part of this sample "
                                    "package.</p>\n<p>The study records it reports on are kept in "
                                    "<code>Training/db/TKBStudy.mdb</code>, table <code>StudyList</code>: the "
                                    "person, the section, and when it was started and ended.</p>\n"))});
  return files;
}

QList<HelpBook> SampleHelpBooks() {
  auto page = [](const QString& title, const QString& body) { return Page(title, body, QStringLiteral("help.css")); };
  const QString index = QStringLiteral(
      "<p>This package helps deck officers study and test themselves. Choose a group in the tree on the left; "
      "its sections appear in the list on the right. Press a section to open it.</p>\n"
      "<ul>\n<li><a href=\"sections.htm\">Sections and what they open</a></li>\n"
      "<li><a href=\"tests.htm\">Self-assessment tests</a></li>\n"
      "<li><a href=\"logging.htm\">Logging study time</a></li>\n</ul>\n");
  const QString sections = QStringLiteral(
      "<table>\n<tr><th>Section</th><th>What happens</th></tr>\n"
      "<tr><td>Test</td><td>A timed self-assessment test starts.</td></tr>\n"
      "<tr><td>Step by step</td><td>A guide opens one step at a time; use the arrows or type a step number.</td></tr>\n"
      "<tr><td>Video</td><td>The movie player opens.</td></tr>\n"
      "<tr><td>Animation</td><td>The animation window opens.</td></tr>\n"
      "<tr><td>Document or help book</td><td>It opens in the program your desktop uses for it.</td></tr>\n"
      "</table>\n");
  const QString tests = QStringLiteral(
      "<p>Each question is shown with its answer covered. Think of your answer, uncover the answer by moving the "
      "mouse over it, then judge yourself: correct, wrong or pass. Two-part questions are judged part by part.</p>\n"
      "<p>At the end a chart shows your results for each subject.</p>\n");
  const QString logging = QStringLiteral(
      "<p>Choose Users, Logging study, On and give your name (surname and first name, at least five characters). "
      "Every section you open is then recorded with the time it was started and ended.</p>\n"
      "<p class=\"note\">Only one section can be open at a time while logging is on.</p>\n");
  const QList<std::pair<QString, QString>> programPages = {
      {QStringLiteral("index.htm"), QString::fromUtf8(page(QStringLiteral("Welcome"), index))},
      {QStringLiteral("sections.htm"), QString::fromUtf8(page(QStringLiteral("Sections"), sections))},
      {QStringLiteral("tests.htm"), QString::fromUtf8(page(QStringLiteral("Self-assessment tests"), tests))},
      {QStringLiteral("logging.htm"), QString::fromUtf8(page(QStringLiteral("Logging study time"), logging))},
      {QStringLiteral("help.css"), QString::fromUtf8(kStyle)},
  };
  const QList<std::pair<QString, QString>> bridgePages = {
      {QStringLiteral("index.htm"),
       QString::fromUtf8(page(QStringLiteral("Bridge procedures"),
                              QStringLiteral("<ul>\n<li><a href=\"handover.htm\">Handing over the watch</a></li>\n"
                                             "<li><a href=\"master.htm\">Calling the master</a></li>\n</ul>\n")))},
      {QStringLiteral("handover.htm"),
       QString::fromUtf8(page(QStringLiteral("Handing over the watch"),
                              QStringLiteral("<ol>\n<li>Arrive in good time and let your eyes adjust to the dark.</li>\n"
                                             "<li>Check position, course, speed and the planned track.</li>\n"
                                             "<li>Note the traffic, the weather and the equipment in use.</li>\n"
                                             "<li>Read the master's standing and night orders.</li>\n"
                                             "<li>Take over only when satisfied, never during a manoeuvre.</li>\n</ol>\n")))},
      {QStringLiteral("master.htm"),
       QString::fromUtf8(page(QStringLiteral("Calling the master"),
                              QStringLiteral("<p>Call the master at once when visibility falls, traffic gives "
                                             "concern, the course cannot be held, an expected light or sounding "
                                             "is not found, equipment fails, or whenever in doubt.</p>\n")))},
      {QStringLiteral("help.css"), QString::fromUtf8(kStyle)},
  };
  return {{QStringLiteral("QVRV5_OOW/Corvanta.chm"), QStringLiteral("QVR V5 OOW help"), programPages},
          {QStringLiteral("QVRV5_MM/QVRV5MM.chm"), QStringLiteral("QVR V5 Mates/Masters help"), programPages},
          {QStringLiteral("Books/BridgeProcedures.chm"), QStringLiteral("Bridge procedures"), bridgePages}};
}

}  // namespace content
