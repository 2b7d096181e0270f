// LinkDialogTest: the link dialog built over a link of a source text and driven headless: OK and
// Cancel, typed targets, drops, the kind choices and the file button; and text fields whose link
// mode makes links of dropped files, typed markup and the selection.
#include "gui/links/LinkDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "gui/Application.h"
#include "gui/MenuRequest.h"
#include "gui/PushButton.h"
#include "gui/TransferData.h"
#include "gui/Window.h"
#include "gui/links/LinkedText.h"
#include "gui/lists/PopupButton.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

// Cards named "C" and a number; the link text is the card's title.
class CardKind final : public LinkKind {
public:
    CardKind() : LinkKind("card", text::kCardName) {}
    bool Resolve(String& target, String& text) override
    {
        if (target.Length() < 2 || target.CStr()[0] != 'C')
            return false;
        text.AssignCStr("Card ");
        text.AppendCStr(target.CStr() + 1);
        return true;
    }
    void Open(const String&) override {}
};

// A kind that is never offered in the dialog: it has no attribute.
class HiddenKind final : public LinkKind {
public:
    HiddenKind() : LinkKind("", 0) {}
    bool Resolve(String&, String&) override { return false; }
    void Open(const String&) override {}
};

class LinkOwnerWindow final : public Window {
public:
    explicit LinkOwnerWindow(LinkRegistry& registry) : Window(1, OriginSize{60, 60, 200, 500}, 0, nullptr, false)
    {
        linkRegistry = &registry;
        FinishConstruction();
    }
    ~LinkOwnerWindow() override { PrepareDestruction(); }
};

class LinkDialogTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        ClearError();
        registry.AddKind(std::make_unique<HiddenKind>());
        registry.AddKind(std::make_unique<CardKind>());
        application = std::make_unique<Application>(true);
        owner = new LinkOwnerWindow(registry);
    }
    void TearDown() override
    {
        application.reset();
        ClearError();
    }

    // The first link of the source, with its markup span.
    void FirstLink(const String& source, LinkScanner& link)
    {
        link.Clear();
        String plain;
        int32_t position = 0;
        registry.NextLink(source.CStr(), position, link, plain);
        EXPECT_NE(link.type, LinkType::None);
    }

    static void Markup(LinkType type, const char* text, const char* target, String& out)
    {
        LinkScanner link;
        link.type = type;
        link.text.AssignCStr(text);
        link.target.AssignCStr(target);
        LinkRegistry::ToMarkup(link, out);
    }

    test::Watchdog watchdog{"link dialog test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    LinkRegistry registry{"test"};
    std::unique_ptr<Application> application;
    LinkOwnerWindow* owner = nullptr;
};

TEST_F(LinkDialogTest, CancelChangesNothingAndAnUnchangedOkRebuildsTheSameMarkup)
{
    String markup;
    Markup(LinkType::Url, "Example", "http://example.org", markup);
    String source;
    source.AssignCStr("see ");
    source.Append(markup);
    source.AppendCStr(" now");
    const std::string before(source.View());
    {
        LinkScanner link;
        FirstLink(source, link);
        LinkDialog dialog(link, source, *owner);
        dialog.TextFieldControl().SetTextAfterLink("Another text");
        ASSERT_NE(dialog.FindCancelButton(), nullptr);
        dialog.FindCancelButton()->Fire();
        EXPECT_TRUE(dialog.WasCancelled());
    }
    EXPECT_EQ(source.View(), before);
    {
        LinkScanner link;
        FirstLink(source, link);
        LinkDialog dialog(link, source, *owner);
        test::ExpectGoldenPicture(dialog, "LinkDialog");
        dialog.FindDefaultButton()->Fire();
    }
    EXPECT_EQ(source.View(), before);
    // The registered dialog runs headless as OK would: the same markup again.
    LinkScanner link;
    FirstLink(source, link);
    EXPECT_TRUE(Service<LinkDialogRunner>::Get().Run(link, source, *owner));
    EXPECT_EQ(source.View(), before);
}

TEST_F(LinkDialogTest, OkRebuildsTheMarkupFromTheEditedFields)
{
    String markup;
    Markup(LinkType::Url, "Example", "http://example.org", markup);
    String source;
    source.Assign(markup);
    LinkScanner link;
    FirstLink(source, link);
    {
        LinkDialog dialog(link, source, *owner);
        dialog.TextFieldControl().SetTextAfterLink("  Card seven ");
        dialog.TargetField().SetTextAfterLink("C7");
        EXPECT_EQ(dialog.KindChoiceIndex(), 2) << "a card target makes it a card link";
        EXPECT_EQ(dialog.TextFieldControl().Text(), "Card 7") << "the kind names the card";
        dialog.FindDefaultButton()->Fire();
    }
    String expected;
    LinkScanner card;
    card.type = LinkType::Registered;
    card.kind = registry.Kinds().front().get();
    card.text.AssignCStr("Card 7");
    card.target.AssignCStr("C7");
    LinkRegistry::ToMarkup(card, expected);
    EXPECT_EQ(source.View(), expected.View());
    EXPECT_EQ(link.markupLength, expected.Length());
}

TEST_F(LinkDialogTest, KindChoicesAreUrlFileAndTheKindsWithAnAttribute)
{
    String source;
    Markup(LinkType::Url, "Example", "http://example.org", source);
    LinkScanner link;
    FirstLink(source, link);
    LinkDialog dialog(link, source, *owner);
    ASSERT_EQ(dialog.KindChoiceCount(), 3);
    EXPECT_EQ(dialog.KindChoiceLabel(0), "URL");
    EXPECT_EQ(dialog.KindChoiceLabel(1), LoadText(text::kFileLinkLabel));
    EXPECT_EQ(dialog.KindChoiceLabel(2), LoadText(text::kCardName));
    EXPECT_EQ(dialog.KindPopup().ItemCount(), 3);
    EXPECT_EQ(dialog.KindPopup().CurrentItem(), 0);
}

TEST_F(LinkDialogTest, AWwwHostTypedAsTargetMakesAUrlLink)
{
    String source;
    Markup(LinkType::File, "notes", "/tmp", source);
    LinkScanner link;
    FirstLink(source, link);
    ASSERT_EQ(link.type, LinkType::File);
    LinkDialog dialog(link, source, *owner);
    EXPECT_TRUE(dialog.FileButton().IsVisible());
    dialog.TargetField().SetTextAfterLink("  www.example.org ");
    EXPECT_EQ(dialog.Working().type, LinkType::Url);
    EXPECT_EQ(dialog.KindPopup().CurrentItem(), 0);
    EXPECT_EQ(dialog.TargetField().Text(), "www.example.org");
    EXPECT_FALSE(dialog.FileButton().IsVisible()) << "the file button is for file links only";
    // A target that is no link is not kept.
    dialog.TargetField().SetTextAfterLink("just words");
    EXPECT_EQ(dialog.TargetField().Text(), "");
}

TEST_F(LinkDialogTest, TheFileButtonFollowsTheKindPopup)
{
    String source;
    Markup(LinkType::File, "notes", "/tmp", source);
    LinkScanner link;
    FirstLink(source, link);
    LinkDialog dialog(link, source, *owner);
    ASSERT_EQ(dialog.KindPopup().CurrentItem(), 1);
    EXPECT_TRUE(dialog.FileButton().IsVisible());
    dialog.KindPopup().SelectItem(0, 1);
    EXPECT_EQ(dialog.Working().type, LinkType::Url);
    EXPECT_FALSE(dialog.FileButton().IsVisible());
    dialog.KindPopup().SelectItem(1, 1);
    EXPECT_TRUE(dialog.FileButton().IsVisible());
}

TEST_F(LinkDialogTest, DropsFillTheFieldTheyLandOn)
{
    String source;
    Markup(LinkType::Url, "Example", "http://example.org", source);
    LinkScanner link;
    FirstLink(source, link);
    LinkDialog dialog(link, source, *owner);
    TransferData file;
    file.AddFile(kTransferFile, FilePath("/tmp/reports/summary.pdf"));
    EXPECT_EQ(dialog.TextFieldControl().AcceptDrop(file), 1);
    EXPECT_EQ(dialog.TextFieldControl().Text(), "summary.pdf");
    EXPECT_EQ(dialog.TargetField().Text(), "http://example.org") << "a drop on the link text fills only it";
    EXPECT_EQ(dialog.Working().type, LinkType::Url);
    // Elsewhere on the dialog: both fields.
    EXPECT_EQ(dialog.AcceptDrop(file), 1);
    EXPECT_EQ(dialog.TargetField().Text(), "/tmp/reports/summary.pdf");
    EXPECT_EQ(dialog.Working().type, LinkType::File);
    EXPECT_TRUE(dialog.FileButton().IsVisible());
    // A text with a link in it gives its link; a text without one is not taken.
    TransferData words;
    words.AddText(kTransferText, "nothing to link");
    EXPECT_EQ(dialog.AcceptDropOn(words, kLinkDropBoth), 0);
    TransferData url;
    url.AddText(kTransferText, "read http://example.com/page today");
    EXPECT_EQ(dialog.TargetField().AcceptDrop(url), 1);
    EXPECT_EQ(dialog.Working().type, LinkType::Url);
    EXPECT_EQ(dialog.TargetField().Text(), "http://example.com/page");
}

class TextFieldLinksTest : public LinkDialogTest {
public:
    void SetUp() override
    {
        LinkDialogTest::SetUp();
        field = new TextField(*owner, OriginSize{20, 20, 16, 300}, 1, true, true);
        field->SetLinkMode(TextLinkMode::Clickable);
    }
    TextField* field = nullptr;
};

TEST_F(TextFieldLinksTest, DroppedFilesAndTypedMarkupBecomeLinks)
{
    TransferData file;
    file.AddFile(kTransferFile, FilePath("/tmp/reports/summary.pdf"));
    EXPECT_EQ(field->AcceptDrop(file), 1);
    String expected;
    Markup(LinkType::File, "summary.pdf", "/tmp/reports/summary.pdf", expected);
    EXPECT_EQ(field->Text(), expected.View());
    // Typed markup is kept canonical.
    field->SetText("");
    field->ReplaceSelection("see <a CARD=\"C7\">x</a>");
    String card;
    LinkScanner link;
    link.type = LinkType::Registered;
    link.kind = registry.Kinds().front().get();
    link.text.AssignCStr("Card 7");
    link.target.AssignCStr("C7");
    LinkRegistry::ToMarkup(link, card);
    EXPECT_EQ(field->Text(), "see " + std::string(card.View()));
    // A plain field takes markup as text.
    field->SetLinkMode(TextLinkMode::Plain);
    field->SetText("");
    field->ReplaceSelection("<a CARD=\"C7\">x</a>");
    EXPECT_EQ(field->Text(), "<a CARD=\"C7\">x</a>");
}

TEST_F(TextFieldLinksTest, MakeLinkTurnsTheSelectionIntoALink)
{
    field->SetText("visit www.example.org today");
    field->SetSelection(6, 15);
    // The context menu offers it in this link mode only.
    MenuRequest request;
    request.pane = field;
    field->HandleMessage(request);
    bool offered = false;
    for (const uint16_t* code = request.commands; *code != 0; ++code)
        offered = offered || *code == text::kMenuMakeLink;
    EXPECT_TRUE(offered);
    field->EditLinkAtSelection();
    String markup;
    Markup(LinkType::Url, "www.example.org", "www.example.org", markup);
    EXPECT_EQ(field->Text(), "visit " + std::string(markup.View()) + " today");
    EXPECT_EQ(field->SelectionStart(), 6);
    EXPECT_EQ(field->SelectionLength(), markup.Length());
}

}  // namespace
}  // namespace vek
