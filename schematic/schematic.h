#pragma once

#include "calc/calculation.h"
#include "model/project.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The one-line diagram of one source in one scheme, laid out from the lines the calculation builds: the
// busbars at the left, each line's trunk (the path to its farthest node by length) running right on one
// row, each branch dropping at a right angle from its node to a row of its own below and running right,
// and so on recursively. Only the rows are chosen: a node's x follows from its sections' label widths
// alone. The same data and the same text widths always give the same coordinates.
namespace k10::calc {
class Catalogs;
struct SourceLines;
} // namespace k10::calc

namespace k10::schematic {

struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool intersects(const Rect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// How wide a text is drawn (UTF-8), and the height of a line of text, in the drawing's units.
struct TextMetrics {
    std::function<double(std::string_view)> width;
    double lineHeight = 14;
    // The widest of the results a node shows under its name (U and ΔU, or the short-circuit currents): the
    // room is kept whether results are shown or not, so that they never move the drawing.
    double resultWidth = 120;
};

// The sizes of the drawing's pieces.
inline constexpr double kNodeRadius = 4;
inline constexpr double kTransformerSymbol = 14; // the two circles before the transformer's caption
inline constexpr int kResultLines = 2;

enum class LineState { Calculated, LeftOut, Foreign };

struct DrawnLine {
    std::string name;     // UTF-8
    int source = 0;       // 1-based source of the line: the drawn source's, or another's for LineState::Foreign
    int index = 0;        // 1-based among its source's lines
    LineState state = LineState::Calculated;
    std::string errorCode; // of a line left out: its first error's code
    std::string sourceName; // of another source's line
    std::string label;      // its caption: the name, with the error's code or the other source's name
    bool opened = false;    // the mode opens its connection to the busbars
    int firstNode = 0, nodeCount = 0; // its nodes in Schematic::nodes
    int trunkSections = 0;            // sections on its trunk
    int unplaced = 0;                 // sections of a line left out that no tree could place
    Point head;                       // where it leaves the busbars (or, for another source's line, its stub)
    Rect caption;                     // its name over the stub
    double top = 0, bottom = 0;       // its rows
};

struct DrawnNode {
    std::string name; // UTF-8
    int line = 0;     // in Schematic::lines
    int local = -1;   // the node of the calculation's tree of the line; -1 where the line is left out
    int parent = -1;  // in Schematic::nodes; -1 for a head
    int section = 0;  // 1-based section of its line that ends at it; 0 for a head
    bool trunk = false;
    bool deEnergised = false;
    std::string transformer; // UTF-8 catalog name; empty without a substation
    std::string load;        // «120 кВА» as typed; empty without a load
    Point at;
    Rect box;   // the node's square
    Rect stack; // its name, its results and its substation, under the line to the right
};

struct DrawnSection {
    int line = 0;    // in Schematic::lines
    int section = 0; // 1-based in its line
    int from = 0, to = 0; // in Schematic::nodes
    std::string label;    // «АС-50, 1,2 км»
    std::vector<Point> path; // from the begin node to the end node: a straight run or a drop and a run
    Rect caption;
    bool opened = false; // the mode's switched-off node is fed through it: drawn broken
};

struct DrawnJumper {
    int from = -1, to = -1; // in Schematic::nodes
    std::string label;      // «перемычка АС-50, 2 км»
    std::vector<Point> path;
    Rect caption;
};

struct Schematic {
    std::string sourceName; // UTF-8
    int source = 0, mode = 0;
    std::vector<DrawnLine> lines;
    std::vector<DrawnNode> nodes;
    std::vector<DrawnSection> sections;
    bool hasJumper = false;
    DrawnJumper jumper;
    // The mode could not be built (an error of the mode or the source): the drawing is the normal one.
    bool modeRefused = false;
    std::vector<calc::Problem> problems; // of the source's lines and of the mode
    double busX = 0, busTop = 0, busBottom = 0;
    Rect bounds;

    // The node of a line by their UTF-8 names (trailing blanks ignored); -1 when none. The source's own
    // line first where another source's line has the same name.
    int findNode(std::string_view line, std::string_view node) const;
    // The drawn section of a line (index into `lines`) by its 1-based number; -1 when it is not drawn.
    int findSection(int line, int section) const;
    // The line (index into `lines`) of the source's 1-based line; -1 when none.
    int findLine(int index) const;

    // Filled by drawSource: the look-ups above.
    std::unordered_map<std::string, int> nodeIndex;
    std::vector<std::vector<int>> sectionIndex;
};

// «АС-50, 1,2 км»: the wire's name and the length in km with the decimal comma and no needless zeros
// (three decimals at most); the wire alone or the length alone when the other is missing.
std::string sectionLabel(std::string_view wireUtf8, double lengthKm);
// A length in km as the labels write it: «1,2», «0,05», «3».
std::string formatKm(double lengthKm);

// The diagram of source `source` (1-based) in scheme `mode` (0: the normal scheme). A line with an error of
// its own is drawn as far as its sections can be placed as trees from its first section's begin node; in a
// mode, the jumper, the opened section and the de-energised nodes are marked, and another source's line
// that the jumper reaches is drawn below the source's own.
Schematic drawSource(const TProect& project, int source, int mode, const calc::Inputs& inputs,
                     const TextMetrics& metrics);

// The same for a source whose rows are already built (its lines as the calculation builds them).
Schematic drawSourceLines(const TProect& project, const calc::SourceLines& lines, int mode,
                          const calc::Catalogs& catalogs, const TextMetrics& metrics);

} // namespace k10::schematic
