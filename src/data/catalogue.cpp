#include "data/catalogue.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/sys/cp850.h"

namespace zel::data {

namespace {

using db::FieldDef;

FieldDef C(std::string name, int width) { return {std::move(name), 'C', width, 0}; }
FieldDef N(std::string name, int width, int dec = 0) { return {std::move(name), 'N', width, dec}; }
FieldDef D(std::string name) { return {std::move(name), 'D', 8, 0}; }
FieldDef L(std::string name) { return {std::move(name), 'L', 1, 0}; }
FieldDef M(std::string name) { return {std::move(name), 'M', 10, 0}; }

std::string two(int n) { return n < 10 ? "0" + std::to_string(n) : std::to_string(n); }

std::vector<FieldDef> owner() { return {C("CPF", 11), C("ATV_EXTER", 1)}; }

std::vector<FieldDef> summaryFields() {  // ZEL109
  auto f = owner();
  for (int m = 1; m <= 12; ++m) {
    f.push_back(N("I3_" + two(m) + "OR", 12, 2));
    f.push_back(N("I3_" + two(m) + "OD", 12, 2));
  }
  for (int l = 1; l <= 7; ++l) f.push_back(N("I4_" + two(l), 12, 2));
  for (int l = 8; l <= 10; ++l) f.push_back(N("I5_" + two(l), 12, 2));
  f.push_back(N("I6_10", 12, 2));
  for (int col = 1; col <= 5; ++col)
    for (const char* sp : {"A", "B", "C", "S", "V1", "V2"})
      f.push_back(N("I7_" + std::to_string(col) + sp, 6));
  f.push_back(C("I7_V1", 22));
  f.push_back(C("I7_V2", 22));
  f.push_back(N("TEM_USO", 6));
  f.push_back(N("TAM_USO", 6));
  f.push_back(C("OPTA", 1));
  f.push_back(C("OPTA_ANT", 1));
  f.push_back(L("SO_TOTAL"));
  return f;
}

std::vector<FieldDef> propertyFields() {  // ZEL209
  auto f = owner();
  for (FieldDef d : {C("I2_01", 60), N("I2_02", 9, 2), C("I2_03", 8), N("I2_04", 6, 2),
                     N("I2_05", 1), C("I2_06", 55), N("I2_07", 2), C("CODPAIS", 3),
                     N("RECEXT", 12, 2), N("DESEXT", 12, 2), N("VALUSE", 7, 2),
                     N("RESUS", 12, 2), N("OPC20US", 12, 2), N("OPC20RS", 12, 2)})
    f.push_back(d);
  return f;
}

std::vector<FieldDef> assetFields() {  // ZEL309
  auto f = owner();
  for (FieldDef d : {N("ITEM", 3), N("CODIGO", 3), N("I8_0", 4), C("I8_1", 512),
                     N("I8_2", 12, 2), C("I8_3", 3), N("I8_4", 1)})
    f.push_back(d);
  return f;
}

std::vector<FieldDef> debtFields() {  // ZEL409
  auto f = owner();
  for (FieldDef d : {N("I9_0", 4), N("ITEM", 3), C("I9_1", 250), N("I9_2", 12, 2),
                     N("I9_3", 12, 2), N("I9_4", 12, 2), N("I9_5", 12, 2)})
    f.push_back(d);
  return f;
}

std::vector<FieldDef> cashBookFields() {  // ZEL509
  auto f = owner();
  for (FieldDef d : {D("DT_LC"), C("DESCR", 41), N("VALOR", 14, 2), N("NROIMO", 2),
                     C("TIPOCR", 1)})
    f.push_back(d);
  return f;
}

std::vector<FieldDef> notesFields() {  // ZEL609
  auto f = owner();
  f.push_back(C("OBSERV", 60));
  return f;
}

std::vector<FieldDef> registerFields() {  // ZEL909
  auto f = owner();
  for (FieldDef d : {C("NOMECONTR", 47), C("IMPRE", 1), N("ESTATUS", 2), N("I5_09", 12, 2),
                     N("I6_10", 12, 2), C("DIRDOVU", 40), L("SO_TOTAL")})
    f.push_back(d);
  for (const char* side : {"EX", "BR"})
    for (const char* what : {"TRIB_", "NTRIB_", "PREJU_", "DIVAD_", "DIVPG_"})
      f.push_back(N(std::string(what) + side, 12, 2));
  f.push_back(N("CONV", 1));
  return f;
}

std::vector<FieldDef> directoryListFields() { return {C("SELEC", 1), C("DIRETOR", 40)}; }

std::vector<FieldDef> sequences() {
  return {C("SEQ0", 60), C("SEQ1", 60), C("SEQ2", 60), C("SEQ3", 60)};
}

std::vector<FieldDef> printerCatalogueFields() {  // PRINTS
  std::vector<FieldDef> f = {C("CONFIM", 1), C("NOMEIMP", 15)};
  for (auto& s : sequences()) f.push_back(s);
  return f;
}

std::vector<FieldDef> configFields() {  // CONFIG
  return {C("NRO_TERM", 2),   C("ROTAANTER", 40), C("ROTADOANO", 40), C("ROTATIVID", 40),
          C("ROTAREANT", 60), C("ROTARECEI", 60), C("ROTAZEL", 40),   C("DIRTRAB", 40),
          C("DIRPROV", 40),   N("QUEIMP", 2),     N("QUEMOD", 1),     N("QUEPAG", 2),
          N("QUECON", 1),     N("AQUEIMP", 1),    N("AQUEMOD", 1),    N("AQUEPAG", 1),
          N("AQUECON", 1),    N("ATVQUAL", 1),    C("IMPBEM", 1),     C("IMPBAL", 1),
          C("MOSIMP", 1),     C("MOSTEL", 1),     N("ULT_TER", 1),    N("ULT_MOD", 1),
          C("ULT_CPF", 11),   C("XDRIVE", 1),     N("SOESTE", 2),     N("OPTTRAN", 1),
          N("NOVOIT", 2),     D("ULTBACK"),
          // Widths of our choosing: the Java path default is 53 characters.
          C("ROTAJAVA", 60),  C("OPCIRPF", 1)};
}

std::vector<FieldDef> defineFields() {  // DEFINE
  std::vector<FieldDef> f;
  for (int i = 1; i <= 8; ++i) f.push_back(D("VCTO" + std::to_string(i)));
  for (FieldDef d : {N("VAL_SEG", 5, 2), N("VAL_BYTE", 5, 2), N("VAL_MIN", 8, 2),
                     N("COMO_SAL", 1), N("TEMP_SAL", 2), N("TEMP_DES", 2), N("VAL_CPMF", 8, 4),
                     N("VAL_DOLAR", 8, 4)})
    f.push_back(d);
  return f;
}

std::vector<FieldDef> colourFields() {  // CORES
  std::vector<FieldDef> f = {C("NRO_TERM", 2)};
  for (const char* a : {"COR_TEL1", "COR_TEL2", "COR_TEL3", "COR_MENS", "COR_PEGA", "COR_HELP",
                        "COR_FERID", "COR_ESCOL", "COR_ENCHE"})
    f.push_back(N(a, 3));
  for (const char* s : {"COR_1_CLI", "COR_2_CLI", "COR_INI", "COR_SAY", "COR_GET", "COR_CLI_HE",
                        "COR_ESC_CL", "COR_ENCH_C"})
    f.push_back(C(s, 10));
  return f;
}

std::vector<FieldDef> printerRowFields() {  // CONFIMP
  std::vector<FieldDef> f = {C("NRO_TERM", 2), N("NROIMPR", 1), N("NROLPT", 1), N("NROCOM", 1),
                             C("LOCIMPR", 1),  C("VERMELHO", 1), C("SAIDAPR", 8),
                             C("NOMEIMP", 15)};
  for (auto& s : sequences()) f.push_back(s);
  f.push_back(C("NOMEREDE", 60));  // printer names of the system can be long
  return f;
}

std::vector<TableDef> build() {
  auto T = [](int n, std::string_view file, Dir dir, std::vector<FieldDef> fields,
              std::vector<IndexDef> idx, std::string_view text) {
    TableDef t;
    t.number = n;
    t.file = file;
    t.dir = dir;
    t.fields = std::move(fields);
    t.indexes = std::move(idx);
    t.createText = text;
    return t;
  };
  const IndexDef byOwner{"", "CPF+ATV_EXTER"};
  std::vector<TableDef> v;
  v.push_back(T(1, "ZEL109", Dir::kData, summaryFields(), {byOwner},
                "Criando banco dos Contribuintes (ZEL109.DBF)"_cp));
  v.push_back(T(2, "ZEL209", Dir::kData, propertyFields(), {byOwner},
                "Criando banco dos Imoveis (ZEL2.DBF)"_cp));
  v.push_back(T(3, "ZEL309", Dir::kData, assetFields(), {byOwner},
                "Criando banco dos Bens (ZEL3.DBF)"_cp));
  v.push_back(T(4, "ZEL409", Dir::kData, debtFields(), {byOwner},
                "Criando banco das Dividas (ZEL4.DBF)"_cp));
  v.push_back(T(5, "ZEL509", Dir::kData, cashBookFields(), {{"", kCashBookKeyByDate}},
                "Criando banco do Livro Caixa (ZEL5.DBF)"_cp));
  v.push_back(T(6, "ZEL609", Dir::kData, notesFields(), {byOwner},
                "Criando o banco de observacoes(ZEL6.DBF)"_cp));
  v.push_back(T(9, "ZEL909", Dir::kData, registerFields(),
                {{"", "CPF"}, {"B", "UPPER(NOMECONTR)"}, {"C", "ESTATUS"}},
                "Criando banco dos Contribuintes (ZEL9.DBF)"_cp));

  auto codabens = T(21, "CODABENS", Dir::kProgram, {N("CODBEM", 2), C("DESCBENS", 45)},
                    {{"", "CODBEM"}}, "");
  codabens.delivered = true;
  v.push_back(codabens);
  v.push_back(T(22, "AUXABENS", Dir::kProgram, {C("DESCRICAO", 512), N("CODIGO", 3)},
                {{"", "DESCRICAO"}}, "Criando o banco auxiliar de Bens "_cp));
  v.push_back(T(23, "AUXCAIXA", Dir::kProgram, {C("DESCR", 44), C("TIPOCR", 1)},
                {{"", "DESCR"}}, "Criando o banco auxiliar do Caixa"_cp));
  auto dirar = T(26, "DIRAR", Dir::kProgram, directoryListFields(), {},
                 "Criando o banco dos Diretórios (DIRETOR.DBF)"_cp);
  dirar.perTerminal = true;
  v.push_back(dirar);
  auto diret = dirar;
  diret.number = 36;
  diret.file = "DIRET";
  v.push_back(diret);
  v.push_back(T(41, "PRINTS", Dir::kProgram, printerCatalogueFields(), {}, ""));
  v.push_back(T(42, "CONFIG", Dir::kProgram, configFields(), {{"", "NRO_TERM"}}, ""));
  v.push_back(T(43, "DEFINE", Dir::kProgram, defineFields(), {}, ""));
  auto status = T(44, "STATUS", Dir::kProgram, {N("COD", 2), C("DESCRICAO", 13)},
                  {{"", "cod"}}, "");
  status.delivered = true;
  v.push_back(status);
  auto help = T(45, "HELPATXT", Dir::kProgram, {C("NOME", 10), M("TEXTO")},
                {{"", "UPPER(NOME)"}}, "");
  help.delivered = true;
  v.push_back(help);
  v.push_back(T(56, "CORES", Dir::kProgram, colourFields(), {{"", "NRO_TERM"}}, ""));
  v.push_back(T(57, "CONFIMP", Dir::kProgram, printerRowFields(), {{"", "NRO_TERM"}}, ""));
  auto countries = T(60, "TABPAIS", Dir::kProgram, {C("CODPAIS", 3), C("NOMPAIS", 40)},
                     {{"", "CODPAIS"}}, "");
  countries.delivered = true;
  v.push_back(countries);
  return v;
}

constexpr std::array<int, 20> kOpened = {1,  2,  3,  4,  5,  6,  9,  21, 22, 23,
                                         26, 36, 41, 42, 43, 44, 45, 56, 57, 60};

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return cp850Upper(static_cast<unsigned char>(x)) ==
                  cp850Upper(static_cast<unsigned char>(y));
         });
}

}  // namespace

int TableDef::fieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields.size(); ++i)
    if (sameName(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

int TableDef::recordLength() const {
  int n = 1;
  for (const auto& f : fields) n += f.width;
  return n;
}

std::string TableDef::fileName(std::string_view nusu) const {
  std::string s(file);
  if (perTerminal) s += nusu;
  return s;
}

const std::vector<TableDef>& catalogue() {
  static const std::vector<TableDef> tables = build();
  return tables;
}

const TableDef* findTable(int number) {
  for (const auto& t : catalogue())
    if (t.number == number) return &t;
  return nullptr;
}

const TableDef* creatableLayout(int number) {
  if ((number >= 11 && number <= 16) || number == 19) number -= 10;
  const TableDef* t = findTable(number);
  return t && !t->delivered ? t : nullptr;
}

std::span<const int> openedNumbers() { return kOpened; }

std::string workCopyName(int digit, std::string_view nusu) {
  return "PRA_" + std::to_string(digit) + std::string(nusu);
}

std::string_view workCopyKey(int digit) {
  switch (digit) {
    case 1:
    case 5: return "cpf";
    case 3: return "I8_0";
    case 4: return "I9_0";
    default: return "";
  }
}

std::vector<FieldValue> configNewRow(const ConfigRowInputs& in) {
  return {
      {"NRO_TERM", Value(in.nusu)},
      {"ROTAANTER", Value("C:\\VU2008")},
      {"ROTADOANO", Value(in.programDir)},
      {"ROTATIVID", Value(in.programDir)},
      {"ROTAREANT", Value("C:\\ARQUIVOS DE PROGRAMAS\\PROGRAMAS SRF\\IRPF2008WINDOWS\\GRAVADAS")},
      {"ROTARECEI", Value("C:\\ARQUIVOS DE PROGRAMAS RFB\\IRPF2009WINDOWS\\DADOS")},
      {"ROTAZEL", Value("C:\\DO2009")},
      {"DIRTRAB", Value(in.programDir)},
      {"DIRPROV", Value(in.dirprov)},
      {"QUEIMP", Value(1)},
      {"QUEMOD", Value(1)},
      {"QUEPAG", Value(1)},
      {"QUECON", Value(1)},
      {"AQUEIMP", Value(1)},
      {"AQUEMOD", Value(1)},
      {"AQUEPAG", Value(1)},
      {"AQUECON", Value(1)},
      {"ATVQUAL", Value(1)},
      {"IMPBEM", Value("1")},
      {"IMPBAL", Value("1")},
      {"MOSIMP", Value("S")},
      {"MOSTEL", Value("S")},
      {"ULT_TER", Value(0)},
      {"ULT_MOD", Value(1)},
      {"ULT_CPF", Value(std::string(11, ' '))},
      {"XDRIVE", Value("A")},
      {"SOESTE", Value(9)},
      {"OPTTRAN", Value(3)},
      {"ULTBACK", Value(in.today)},
      {"ROTAJAVA", Value("C:\\ARQUIVOS DE PROGRAMAS RFB\\IRPF2009\\APLICACAO\\DADOS")},
      {"OPCIRPF", Value("J")},
  };
}

std::vector<FieldValue> defineNewRow() {
  static constexpr int kDue[8][2] = {{30, 4}, {29, 5}, {30, 6}, {31, 7},
                                     {31, 8}, {30, 9}, {30, 10}, {30, 11}};
  static constexpr std::string_view kNames[8] = {"VCTO1", "VCTO2", "VCTO3", "VCTO4",
                                                 "VCTO5", "VCTO6", "VCTO7", "VCTO8"};
  std::vector<FieldValue> row;
  for (int i = 0; i < 8; ++i)
    row.push_back({kNames[i], Value(*Date::fromYmd(2009, kDue[i][1], kDue[i][0]))});
  row.push_back({"VAL_SEG", Value(1.00)});
  row.push_back({"VAL_BYTE", Value(2.00)});
  row.push_back({"VAL_MIN", Value(30.00)});
  row.push_back({"COMO_SAL", Value(2)});
  row.push_back({"TEMP_SAL", Value(15)});
  row.push_back({"TEMP_DES", Value(2)});
  row.push_back({"VAL_CPMF", Value(0.0038)});
  row.push_back({"VAL_DOLAR", Value(2.3362)});
  return row;
}

}  // namespace zel::data
