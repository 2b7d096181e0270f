#include <gtest/gtest.h>
#include <cstdio>
#include "BaseFileTestSupport.h"
#include "files/BaseFileRecord.h"
#include "files/BaseFiles.h"
#include "files/SaveSetup.h"
#include "foundation/CardKey.h"
#include "model/Base.h"
#include "model/BaseProtection.h"
#include "model/Dimension.h"
#include "model/Macro.h"
#include "model/TimeScale.h"
#include "model/WebUser.h"
#include "model/DateExpression.h"
#include "platform/FilePath.h"
using namespace vek;
TEST(Dump, Rich) {
  test::ScratchFolder folder;
  Base* base = new Base(FilePath(folder.Path("x.vkx")), 0);
  base->SetValueCount(2);
  base->SetValueFormat(0, 2); base->SetValueFormat(1, 7);
  base->SetCardTextCaption("Voucher"); base->SetValueFieldName(1, "Quantity");
  base->GetDimension(1).SetSingularName("Account"); base->GetDimension(1).SetPluralName("Accounts");
  base->AddComponent(0, "CO", "Company", nullptr);
  base->AddComponent(1, "1", "Assets", nullptr);
  base->AddComponent(1, "1910", "Cash", "1910");
  base->AddComponent(1, "3010", "Sales", "3010");
  base->AddComponent(2, "-5", "Minus five", nullptr);
  base->AddComponent(2, "P1", "Project 1", "H1");
  base->NotifyChangedDimensions();
  CardKey key{MakePackedDate(2024,1,31), 1};
  Card* card = base->CreateCard(key);
  SetHeapText(card->title, "Invoice\nline two");
  SetHeapText(card->notes, "Note one\rNote two");
  card->stamps[kStampNotes].ParseCStr("2401311200ABC");
  card->stamps[kStampCreated].ParseCStr("2401311000ABC");
  card->stamps[kStampSignatureP].ParseCStr("2402011000XYZ");
  CardGroup* g = base->FindOrAddGroup(card, base->GetDimension(0).FindByCode("CO")->number);
  CardLine* line = base->CreateLine(g);
  double v[2] = {1234.5, 1.0/3}; base->SetLineValues(line, v);
  uint32_t n[31]; for(int i=0;i<31;i++) n[i]=i+1; n[0]=base->GetDimension(1).FindByCode("1910")->number; n[1]=base->GetDimension(2).FindByCode("-5")->number;
  base->SetLineComponents(line,n); line->SetText("Cash in");
  line = base->CreateLine(g); double w[2]={-1234.5,0}; base->SetLineValues(line,w); n[0]=base->GetDimension(1).FindByCode("3010")->number; n[1]=2; base->SetLineComponents(line,n);
  CardKey k2{MakePackedDate(2024,2,1), 7}; Card* c2 = base->CreateCard(k2); SetHeapText(c2->title, "Empty card");
  base->FlushCardChanges();
  TimeScale* ts = new TimeScale(base->TimeScales(), "Quarters");
  (void)ts->AddPeriod(CardKey{MakePackedDate(2024,1,1),1}, "Q1");
  (void)ts->AddPeriod(CardKey{MakePackedDate(2024,4,1),1}, "Q2");
  Macro* m = new Macro(base->Macros(), "Reports: monthly"); m->SetCommands("openTemplate Sales\rprint Sales"); m->SetFlagA(true);
  WebUser* u = base->WebUsers().AddUser("anna"); WebUserList::SetUserText(u->password, "secret"); u->bi = 1; u->language = 0;
  (void)base->Protection().SetPassword("Pass word");
  SaveSetup* s = new SaveSetup(BaseFileRecord::Of(*base).SaveSetups(), "Yearly");
  s->Settings().SetFormat(5); s->Settings().SetDimensionOrderEntry(2, 1);
  BaseFileRecord::Of(*base).lineHistory = true;
  base->CardSources().Assign(card->index, "import.txt", 10, 42);
  DateExpression r(base, 1); ASSERT_TRUE(r.ParseCString("Month-1")); base->SetReferenceDate(r);
  ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("out.vkx")), nullptr)) << GetPendingError().message.code;
  std::string t = folder.Read("out.vkx");
  for (char& c : t) if (c=='\r') c='\n';
  printf("%s", t.c_str());
  delete base;
  test::MessageLog log;
  Base* again = OpenBaseFile(FilePath(folder.Path("out.vkx")), nullptr, 0);
  ASSERT_NE(again, nullptr) << (log.texts.empty() ? "" : log.texts[0]);
  ASSERT_TRUE(SaveBaseToPath(*again, FilePath(folder.Path("out2.vkx")), nullptr));
  std::string t2 = folder.Read("out2.vkx");
  for (char& c : t2) if (c=='\r') c='\n';
  EXPECT_EQ(t, t2);
  for (auto& x : log.texts) printf("MSG %s\n", x.c_str());
  delete again;
}
