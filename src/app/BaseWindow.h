// BaseWindow: the window that stands for an open base until the document windows exist.
#pragma once

#include <string>
#include <vector>

#include "gui/Window.h"

namespace vek {

class Base;
class StaticText;

// Shows an open base's file name as its title (with the modified mark while the base has changes not
// saved) and, one line each, the dimensions in use with their component counts and the counts of
// cards and lines. Closing it leaves the base open.
class BaseWindow final : public Window {
public:
    explicit BaseWindow(Base& base);
    ~BaseWindow() override;

    CommandTarget* Notify(int32_t code) override;
    // Prints the title, the counts and one line per card (date-number and title), as many lines a
    // page as fit on it.
    void PrintPhase(PrintJob& job) override;

    // The window of the base, null when it has none.
    static BaseWindow* Find(const Base& base);
    Base& GetBase() const { return base; }

private:
    void Refresh();

    Base& base;
    std::vector<StaticText*> lines;  // children: owned by the window
    std::vector<std::string> printedLines;  // laid out in phase 1, dropped in phase 3
    int32_t linesPerPage = 1;
};

}  // namespace vek
