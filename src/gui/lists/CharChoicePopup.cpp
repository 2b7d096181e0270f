// CharChoicePopup: items from the choice bytes, the default item, the texts written into the record.
#include "gui/lists/CharChoicePopup.h"

#include <cstdio>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"

namespace vek {

namespace {

// Choice strings end at the first byte that is not a language index.
constexpr uint8_t kChoiceEnd = 128;

std::vector<uint8_t> ChoiceBytesOf(std::span<const uint8_t> choices)
{
    std::vector<uint8_t> bytes;
    for (uint8_t byte : choices) {
        if (byte >= kChoiceEnd)
            break;
        bytes.push_back(byte);
    }
    return bytes;
}

}  // namespace

int32_t CharChoicePopup::CountItems(std::span<const uint8_t> choices) { return int32_t(ChoiceBytesOf(choices).size()) + 2; }

int32_t CharChoicePopup::IndexOfChoice(std::span<const uint8_t> choices, uint8_t chosen)
{
    const std::vector<uint8_t> bytes = ChoiceBytesOf(choices);
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == chosen)
            return int32_t(i) + 2;
    return 0;
}

CharChoicePopup::CharChoicePopup(Pane& enclosure, const OriginSize& frame, int32_t id, std::span<const uint8_t> choices,
                                 uint8_t chosen, bool isDefault)
    : PopupButton(enclosure, frame, id, CountItems(choices), isDefault ? 0 : IndexOfChoice(choices, chosen), false),
      ownLanguage(LanguageFromBundle()), choiceBytes(ChoiceBytesOf(choices))
{
    Layout();
    FinishConstruction();
}

CharChoicePopup::~CharChoicePopup() { PrepareDestruction(); }

int32_t CharChoicePopup::SelectedChoice() const
{
    const int32_t item = CurrentItem();
    if (item < 2 || size_t(item - 2) >= choiceBytes.size())
        return ownLanguage;
    return choiceBytes[size_t(item - 2)];
}

CommandTarget* CharChoicePopup::PopupNotify(PopupItemRecord& record)
{
    if (record.kind != PopupItemKind::Describe)
        return PopupButton::PopupNotify(record);
    if (record.index == 1)
        return this;  // the divider
    int32_t language = ownLanguage;
    if (record.index >= 2) {
        if (size_t(record.index - 2) >= choiceBytes.size())
            return this;
        language = choiceBytes[size_t(record.index - 2)];
    }
    const char* name = LanguageName(language);
    const char* suffix = record.index == 0 && IsListOpen() ? LoadText(text::kLanguageDefaultSuffix) : nullptr;
    std::snprintf(record.textBuffer, sizeof record.textBuffer, "%s%s", name ? name : "", suffix ? suffix : "");
    record.text = record.textBuffer;
    return this;
}

}  // namespace vek
