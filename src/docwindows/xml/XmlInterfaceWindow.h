// XmlInterfaceWindow: binds a request file and an answer file to one open base and answers the
// requests whenever the request file changes.
#pragma once

#include <cstdint>
#include <string>

#include "docwindows/DocumentWindow.h"
#include "platform/FilePath.h"

namespace vek {

class CheckBox;
class XmlFilePane;

// How a run of the requests ended (XmlInterfaceWindow::Execute).
enum class XmlRunResult {
    answered,          // the answer file was written and scanned; ResultText holds its errors or "no errors"
    requestUnreadable, // the request file could not be read; nothing was written, the next poll retries
    answerNotWritten,  // the answer file could not be written; the next poll retries
};

// The XML interface window (kind 19): another program writes a request file, and the window answers
// it into the answer file through the base's XML file interface (WriteXmlInterfaceOutput), then shows
// the texts of the answer's "error" elements in red, or "no errors" in green.
//
// Polling (Poll, on every tick): at most every 500 ms, the dates of both files are read; a run starts
// when either changed since the last run, or when the force flag (a new file dropped, the check box
// turned) or the retry flag is set. A run that could not read the request file or write the answer
// file shows why in red and sets the retry flag, so that the next poll tries again without waiting
// for the file's date to change; the old answer file then stays as it was.
//
// The paths are kept under "XML.test.input" and "XML.test.output" in the user's preferences.
class XmlInterfaceWindow final : public DocumentWindow {
public:
    static constexpr int32_t kDocumentationButton = 1;
    static constexpr int32_t kInputPane = 2;
    static constexpr int32_t kOutputPane = 3;
    static constexpr int32_t kExecuteCheckBox = 4;
    static constexpr int64_t kPollIntervalMs = 500;

    // Colour codes of the result text (the HTML colour codes).
    static constexpr int32_t kColourBlack = 10;
    static constexpr int32_t kColourRed = 13;
    static constexpr int32_t kColourGreen = 19;

    // flags as DocumentWindow's (0x01 hidden). The paths start from the preferences.
    XmlInterfaceWindow(Base& base, int32_t flags);
    // Stores the paths that are set in the preferences.
    ~XmlInterfaceWindow() override;

    CommandTarget* Notify(int32_t code) override;
    CommandTarget* Query(void* request) override;
    CommandTarget* ControlCommand(Control& control) override;
    CommandTarget* ControlChanged(Control& control) override;
    // A dropped file goes to the input pane (the window learns no drop point); the panes take the
    // drops made on them themselves.
    int32_t AcceptDrop(TransferData& package) override;
    void Draw() override;

    // A file for pane 2 (input) or 3 (output): sets the path and the force flag, redraws the pane.
    void SetFile(int32_t paneId, const FilePath& file);
    const FilePath& InputFile() const { return inputFile; }
    const FilePath& OutputFile() const { return outputFile; }

    // One poll at the time `nowMs` (milliseconds); true when it ran the requests.
    bool Poll(int64_t nowMs);
    // Runs the requests now, whatever the dates: answers them into the answer file and scans it.
    XmlRunResult Execute();

    const std::string& ResultText() const { return resultText; }
    int32_t ResultColour() const { return resultColour; }
    bool ExecuteWhenModified() const { return executeWhenModified; }
    bool ForceFlag() const { return force; }
    bool RetryFlag() const { return retry; }

    // The window of kind 19 for the base: an open one is brought forward, else a new one is made.
    static XmlInterfaceWindow* Open(Base& base, int32_t flags);
    static XmlInterfaceWindow* Find(const Base& base);

private:
    void ScanOutput();
    // The pending message (or, without one, the text of `fallback` naming `file`) becomes the result
    // in red; the pending message is cleared and the next poll retries.
    void ShowFailure(int32_t fallback, const FilePath& file);
    void SetResult(std::string text, int32_t colour);

    FilePath inputFile;
    FilePath outputFile;
    bool executeWhenModified = false;
    bool force = false;
    bool retry = false;
    int64_t lastPollMs = INT64_MIN / 2;
    double inputDate = 0;
    double outputDate = 0;
    std::string resultText;
    int32_t resultColour = kColourBlack;
    XmlFilePane* inputPane = nullptr;
    XmlFilePane* outputPane = nullptr;
    CheckBox* executeBox = nullptr;
};

// The preference keys of the two paths.
constexpr char kXmlInputPreference[] = "XML.test.input";
constexpr char kXmlOutputPreference[] = "XML.test.output";

}  // namespace vek
