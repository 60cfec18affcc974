#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "data/areas.h"
#include "data_fixture.h"
#include "platform/db/fault_env.h"
#include "platform/sys/cp850.h"

namespace zel::data {
namespace {

namespace fs = std::filesystem;

using Opening = DataDirs;

bool logged(const RecordingDataUi& ui, const std::string& line) {
  return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
}

TEST_F(Opening, FirstStartCreatesEveryTableAndIndex) {
  dataState().MOS_MENS = true;
  ASSERT_TRUE(ABERTURA(0));
  ASSERT_TRUE(ABERTURA(9));
  for (int n : {1, 2, 3, 4, 5, 6}) ASSERT_TRUE(ABERTURA(n)) << n;
  for (int n : {41, 42, 43, 56, 57}) ASSERT_TRUE(ABERTURA(n)) << n;

  for (const char* f : {"ZEL109", "ZEL209", "ZEL309", "ZEL409", "ZEL509", "ZEL609", "ZEL909"}) {
    EXPECT_TRUE(there(dados(std::string(f) + ".DBF"))) << f;
    EXPECT_TRUE(there(dados(std::string(f) + ".NTX"))) << f;
  }
  EXPECT_TRUE(there(dados("ZEL909B.NTX")));
  EXPECT_TRUE(there(dados("ZEL909C.NTX")));
  for (const char* f : {"AUXABENS.DBF", "AUXABENS.NTX", "AUXCAIXA.DBF", "AUXCAIXA.NTX",
                        "DIRAR00.DBF", "DIRET00.DBF", "PRINTS.DBF", "CONFIG.DBF", "CONFIG.NTX",
                        "DEFINE.DBF", "CORES.DBF", "CORES.NTX", "CONFIMP.DBF", "CONFIMP.NTX"})
    EXPECT_TRUE(there(prog(f))) << f;
  // Delivered tables are reported, not created.
  EXPECT_FALSE(there(prog("CODABENS.DBF")));
  EXPECT_TRUE(logged(ui, std::string("notice: Arquivo C:\\PROG\\CODABENS.dbf näo localizado!"_cp)));

  // Every table announced its creation, and its index.
  for (int n : {1, 2, 3, 4, 5, 6, 9, 22, 23, 26})
    EXPECT_TRUE(logged(ui, "progress: " + std::string(findTable(n)->createText))) << n;
  EXPECT_TRUE(logged(ui, "progress: Verificando o Arquivo C:\\DADOS\\ZEL509"));
  EXPECT_TRUE(logged(ui, std::string("progress: C:\\DADOS\\ZEL509.dbf näo localizado está sendo criado "_cp)));
  EXPECT_TRUE(logged(ui, "progress: Criando o indice C:\\DADOS\\ZEL509.ntx"));
  EXPECT_TRUE(logged(ui, "progress: Criando o indice C:\\DADOS\\ZEL909C.ntx"));

  // The tables have the catalogue's layouts and keys.
  for (int n : {1, 2, 3, 4, 5, 6, 9}) {
    db::Table* t = areaTable(std::to_string(n));
    ASSERT_NE(t, nullptr) << n;
    EXPECT_EQ(t->recordSize(), findTable(n)->recordLength()) << n;
    EXPECT_EQ(t->indexKey(1), findTable(n)->indexes[0].key) << n;
  }
  db::Table* reg = areaTable("9");
  EXPECT_EQ(reg->indexCount(), 3);
  EXPECT_EQ(reg->order(), 1);
  EXPECT_EQ(reg->indexKey(2), "UPPER(NOMECONTR)");
  EXPECT_EQ(reg->indexKey(3), "ESTATUS");

  // Directory lists start with the program directory; DEFINE with its row.
  db::Table* dirar = areaTable("26");
  ASSERT_NE(dirar, nullptr);
  ASSERT_EQ(dirar->recordCount(), 1u);
  ASSERT_TRUE(dirar->goTop().ok());
  EXPECT_EQ(dirar->text("DIRETOR"), "C:\\PROG");
  EXPECT_EQ(dirar->text("SELEC"), "S");
  db::Table* diret = areaTable("36");
  ASSERT_NE(diret, nullptr);
  ASSERT_EQ(diret->recordCount(), 1u);
  ASSERT_TRUE(diret->goTop().ok());
  EXPECT_EQ(diret->text("DIRETOR"), "C:\\PROG");
  EXPECT_EQ(diret->text("SELEC"), "");
  db::Table* def = areaTable("43");
  ASSERT_NE(def, nullptr);
  ASSERT_EQ(def->recordCount(), 1u);
  ASSERT_TRUE(def->goTop().ok());
  EXPECT_DOUBLE_EQ(def->number("VAL_DOLAR"), 2.3362);
  EXPECT_DOUBLE_EQ(def->number("TEMP_SAL"), 15);
  EXPECT_EQ(def->get("VCTO8")->date(), *Date::fromYmd(2009, 11, 30));
  EXPECT_TRUE(db::hideDeleted());

  // A second start finds everything and adds nothing.
  ui.log.clear();
  ASSERT_TRUE(ABERTURA(0));
  EXPECT_TRUE(ui.lines("progress: Criando").empty());
  EXPECT_EQ(areaTable("26")->recordCount(), 1u);
  EXPECT_EQ(areaTable("36")->recordCount(), 1u);
}

TEST_F(Opening, MissingCashBookIndexPacksThenBuildsByDate) {
  const auto& fields = findTable(5)->fields;
  auto row = [](const char* cpf, int y, int m, int d, const char* descr) {
    return std::vector<std::pair<std::string, Value>>{
        {"CPF", Value(cpf)}, {"ATV_EXTER", Value(" ")},
        {"DT_LC", Value(*Date::fromYmd(y, m, d))}, {"DESCR", Value(descr)}};
  };
  makeTable(dados("ZEL509.DBF"),
            fields,
            {row("11111111111", 2008, 5, 1, "maio"), row("11111111111", 2008, 1, 9, "apagado"),
             row("11111111111", 2008, 2, 3, "fevereiro")},
            {1});
  dataState().MOS_MENS = true;
  ASSERT_TRUE(ABERTURA(5));
  db::Table* t = areaTable("5");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->recordCount(), 2u);  // the deleted entry is gone
  EXPECT_EQ(t->indexKey(1), "CPF+ATV_EXTER+DTOS(DT_LC)");
  EXPECT_FALSE(t->exclusive());
  ASSERT_TRUE(t->seek(std::string_view("11111111111 ")).ok());
  ASSERT_TRUE(t->found());
  EXPECT_EQ(t->text("DESCR"), "fevereiro");
  ASSERT_TRUE(t->skip().ok());
  EXPECT_EQ(t->text("DESCR"), "maio");
  EXPECT_TRUE(logged(ui, "progress: Criando o indice C:\\DADOS\\ZEL509.ntx"));
}

TEST_F(Opening, RegisterRebuildsOnlyTheMissingIndex) {
  ASSERT_TRUE(ABERTURA(9));
  db::Table* t = areaTable("9");
  for (const char* cpf : {"22222222222", "11111111111"}) {
    ASSERT_TRUE(t->appendBlank().ok());
    ASSERT_TRUE(t->put("CPF", Value(cpf)).ok());
    ASSERT_TRUE(t->put("ESTATUS", Value(3)).ok());
    ASSERT_TRUE(t->unlockAll().ok());
  }
  closeAllAreas();
  const std::string nameIndex = bytes(dados("ZEL909B.NTX"));
  fs::remove(dados("ZEL909C.NTX"));

  ui.log.clear();
  dataState().MOS_MENS = true;
  ASSERT_TRUE(ABERTURA(9));
  t = areaTable("9");
  EXPECT_TRUE(there(dados("ZEL909C.NTX")));
  EXPECT_EQ(bytes(dados("ZEL909B.NTX")), nameIndex);
  EXPECT_EQ(ui.lines("progress: Criando o indice").size(), 1u);
  EXPECT_EQ(t->order(), 1);
  EXPECT_EQ(t->indexKey(1), "CPF");
  ASSERT_TRUE(t->goTop().ok());
  EXPECT_EQ(t->text("CPF"), "11111111111");
  ASSERT_TRUE(t->setOrder(3).ok());
  ASSERT_TRUE(t->seekValue(Value(3)).ok());
  EXPECT_TRUE(t->found());
}

TEST_F(Opening, RebuildSwitchRebuildsExistingIndexesWithoutPacking) {
  ASSERT_TRUE(ABERTURA(2));
  closeAllAreas();
  // Rows added behind the index's back, one of them deleted.
  {
    auto t = db::Table::open(db::posixEnv(), dados("ZEL209.DBF"), db::OpenMode::kExclusive);
    ASSERT_TRUE(t.ok());
    for (const char* cpf : {"33333333333", "44444444444"}) {
      ASSERT_TRUE((*t)->appendBlank().ok());
      ASSERT_TRUE((*t)->put("CPF", Value(cpf)).ok());
    }
    ASSERT_TRUE((*t)->markDeleted().ok());
  }
  ASSERT_TRUE(ABERTURA(2));
  ASSERT_TRUE(areaTable("2")->seek(std::string_view("33333333333")).ok());
  EXPECT_FALSE(areaTable("2")->found()) << "the stale index is used as it is";

  dataState().REFAZ_IND = true;
  ASSERT_TRUE(ABERTURA(2));
  db::Table* t = areaTable("2");
  ASSERT_TRUE(t->seek(std::string_view("33333333333")).ok());
  EXPECT_TRUE(t->found());
  EXPECT_EQ(t->recordCount(), 2u);  // nothing packed
}

TEST_F(Opening, HelpTableNeedsItsMemoFile) {
  makeTable(prog("HELPATXT.DBF"), {{"NOME", 'C', 10, 0}, {"TEXTO", 'M', 10, 0}}, {});
  fs::remove(prog("HELPATXT.DBT"));
  dataState().MOS_MENS = true;
  EXPECT_FALSE(ABERTURA(45));
  EXPECT_EQ(areaTable("45"), nullptr);
  EXPECT_TRUE(ui.log.empty());
  EXPECT_FALSE(there(prog("HELPATXT.NTX")));
}

TEST_F(Opening, NumbersWithoutATableOpenNothing) {
  EXPECT_TRUE(ABERTURA(7));
  EXPECT_EQ(areaTable("7"), nullptr);
  EXPECT_TRUE(logged(ui, std::string("notice: Arquivo C:\\DADOS\\ZEL709.dbf näo localizado!"_cp)));
  EXPECT_FALSE(CRIA(44, "C:\\PROG\\STATUS.dbf"));
  EXPECT_FALSE(there(prog("STATUS.DBF")));
  EXPECT_TRUE(CRIA(13, "C:\\DADOS\\COPIA3.dbf"));
  auto t = openHost(dados("COPIA3.DBF"));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->recordSize(), findTable(3)->recordLength());
}

TEST_F(Opening, AliasAndReuseOfAnOpenArea) {
  ASSERT_TRUE(ABERTURA(6));
  closeAllAreas();
  selectArea("16");
  dataState().APELIDO = "destin6";
  ASSERT_TRUE(NETUSE("C:\\DADOS\\ZEL609", false, 10));
  EXPECT_EQ(areaAlias("16"), "DESTIN6");
  db::Table* first = areaTable("16");
  ASSERT_TRUE(NETUSE("C:\\DADOS\\ZEL609", true, 10));
  EXPECT_EQ(areaTable("16"), first) << "an area already holding the alias is kept";
  dataState().APELIDO.clear();
  ASSERT_TRUE(NETUSE("C:\\DADOS\\ZEL609", true, 10));
  EXPECT_EQ(areaAlias("16"), "ZEL609");
  EXPECT_TRUE(areaTable("16")->exclusive());
  EXPECT_FALSE(NETUSE("C:\\DADOS\\NADA", false, 10));
}

TEST_F(Opening, ClosingDeclarationAreas) {
  ASSERT_TRUE(ABERTURA(1));
  ASSERT_TRUE(ABERTURA(9));
  ASSERT_TRUE(ABERTURA(26));
  for (const char* a : {"11", "18"}) {
    selectArea(a);
    ASSERT_TRUE(NETUSE("C:\\DADOS\\ZEL109", false, 1));
  }
  FECHA_PROV();
  EXPECT_EQ(areaTable("11"), nullptr);
  EXPECT_EQ(areaTable("18"), nullptr);
  EXPECT_NE(areaTable("1"), nullptr);
  FECHA_TODO();
  EXPECT_EQ(areaTable("1"), nullptr);
  EXPECT_NE(areaTable("9"), nullptr);
  EXPECT_NE(areaTable("26"), nullptr);
}

TEST_F(Opening, EmptyIndexFilesAreSwept) {
  std::ofstream(dados("ZEL109.NTX")).close();
  std::ofstream(dados("zel209.ntx")) << "not empty";
  std::ofstream(dados("VAZIO.TXT")).close();
  std::ofstream(prog("CONFIG.NTX")).close();
  NTX();
  EXPECT_FALSE(there(dados("ZEL109.NTX")));
  EXPECT_TRUE(there(dados("zel209.ntx")));
  EXPECT_TRUE(there(dados("VAZIO.TXT")));
  EXPECT_FALSE(there(prog("CONFIG.NTX")));
}

TEST_F(Opening, DamagedIndexIsBuiltAgain) {
  ASSERT_TRUE(ABERTURA(6));
  db::Table* t = areaTable("6");
  ASSERT_TRUE(t->appendBlank().ok());
  ASSERT_TRUE(t->put("CPF", Value("55555555555")).ok());
  closeAllAreas();
  std::ofstream(dados("ZEL609.NTX"), std::ios::binary | std::ios::trunc) << std::string(2048, 'x');
  ASSERT_TRUE(ABERTURA(6));
  t = areaTable("6");
  ASSERT_TRUE(t->seek(std::string_view("55555555555")).ok());
  EXPECT_TRUE(t->found());
}

TEST_F(Opening, ADotInTheDirectoryIsNotAnExtension) {
  fs::create_directory(root + "/dados.09");
  dataState().LOCARQ = "C:\\DADOS.09\\";
  ASSERT_TRUE(ABERTURA(1));
  EXPECT_TRUE(there(root + "/dados.09/ZEL109.DBF"));
  EXPECT_TRUE(there(root + "/dados.09/ZEL109.NTX"));
}

TEST_F(Opening, ACreationThatFailsIsNotReportedAsOpen) {
  db::FaultEnv fault(db::posixEnv());
  fault.writesOnly(true);
  fault.failAt(1, db::Fault::kNoSpace, true);
  dataState().env = &fault;
  EXPECT_FALSE(ABERTURA(1));
  EXPECT_EQ(areaTable("1"), nullptr);
  EXPECT_FALSE(ui.lines("alert: ").empty());
}

}  // namespace
}  // namespace zel::data
