// SubsetList: the subsets of a base, of a table window or of a template's working copy.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/base/ChangeRecord.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetFormula.h"

namespace vek {

class Base;
class SubsetRefList;
class TextReader;
class TextWriter;

// Which subsets a list holds: the base's global subsets (new ones named from "G1"), or those of a
// table window or of a template's working copy (named from "S1", whose formulas may also name the
// global subsets).
enum class SubsetListKind : int32_t { Global = 0, Local = 1 };
// Whether the list's subsets announce their changes to the base. A list read aside (a base file
// being read, before it is known to be whole) stays quiet until its subsets join the base's.
enum class SubsetListPosting : int32_t { Posts, Quiet };

// Idle results are released after this many milliseconds without use.
constexpr int64_t kSubsetIdleReleaseMs = 180001;

// An ordered list of subsets (by name, without regard to case), owning them. Names are unique in
// the list without regard to case. A list registers with its base and passes the base's changes
// to its subsets.
class SubsetList final : public SubsetOperandList, public ChangeReceiver {
public:
    SubsetList(Base& base, SubsetListKind kind, SubsetListPosting posting = SubsetListPosting::Posts);
    // Deletes every subset without posting changes.
    ~SubsetList() override;
    SubsetList(const SubsetList&) = delete;
    SubsetList& operator=(const SubsetList&) = delete;

    Base& GetBase() const { return base; }
    SubsetListKind Kind() const { return kind; }
    bool Posts() const { return posting == SubsetListPosting::Posts; }
    int32_t Count() const { return int32_t(subsets.size()); }
    Subset* GetAt(int32_t i) const;
    // Trimmed, without regard to case; null when none.
    Subset* FindByName(std::string_view name) const;

    // A new subset named uniquely from the text (null or empty: "G1" or "S1"), in its place by name;
    // change 61. Standard containers: std::bad_alloc rises to the operation.
    Subset* CreateSubset(const char* name);
    // Change 62.
    void Delete(Subset* subset);
    void DeleteAll();
    // Deletes every subset whose name the pattern (a text condition, case kept) matches; an empty or
    // refused pattern deletes nothing. The count deleted.
    int32_t DeleteMatching(const char* pattern);

    // Replaces every subset by those the references describe, in order.
    void CopyFrom(const SubsetRefList& refs);
    // Moves every subset of `other` into this list: one of the same name here is replaced. Each
    // moved subset's selections are then compiled (names of subsets read later resolve now).
    void TakeFrom(SubsetList& other);

    // A "##Subset" section whose marker is the reader's current line (field cursor after the
    // marker): the subset of that name is read again, or made. `error` as Subset::ReadSection.
    Subset* ReadSection(TextReader& reader, SubsetLineError& error);
    // "## Subset" and "## Selection" blocks (the clipboard form) from the reader's current line: a
    // "## Subset" line starts a subset, a "## Selection" line a selection of the last one; another
    // line beginning with "#" ends the reading (left current); other lines are skipped.
    void ReadBlocks(TextReader& reader, SubsetLineError& error);
    // Every subset as a "## Subset" block.
    void WriteBlocks(TextWriter& writer) const;
    // Every subset as a "##Subset" section, in list order.
    void WriteSections(TextWriter& writer) const;

    // 16 plus each subset's size.
    int64_t StoredSize() const;
    // Frees the cached results of subsets unused for kSubsetIdleReleaseMs, unless a selection of
    // the base's subsets refers to them. `nowMs` is CurrentTimeMs.
    void ReleaseIdleResults(int64_t nowMs);
    // True when the subset formula of a selection of a subset in this list names the subset.
    bool IsReferredTo(const Subset* subset) const;

    // SubsetOperandList.
    int32_t OperandCount() const override { return Count(); }
    SubsetOperand* OperandAt(int32_t i) const override { return GetAt(i); }
    // ChangeReceiver: passes the change to every subset.
    void OnBaseChange(const ChangeRecord& record) override;

private:
    friend class Subset;

    // The name made unique in this list (`except` may keep its own name).
    void UniqueName(String& text, const Subset* except) const;
    // Puts the subset (already in the list or not) in its place by name.
    void Place(Subset* subset);
    std::unique_ptr<Subset> Unlink(Subset* subset);
    // Deletes the subset (change 62); the selections whose formulas named it lose their code and
    // are added to `naming`, to be compiled again by the caller.
    void Detach(Subset* subset, std::vector<SubsetSelection*>& naming);

    Base& base;
    SubsetListKind kind;
    SubsetListPosting posting;
    bool releasing = false;
    std::vector<std::unique_ptr<Subset>> subsets;
};

}  // namespace vek
