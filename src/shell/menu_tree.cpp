#include "shell/menu_tree.h"

#include "platform/console/keys.h"
#include "platform/sys/cp850.h"

namespace zel::shell {

const std::vector<MenuTitle>& menuTree() {
  static const std::vector<MenuTitle> tree = {
      {" Dec&laracao ",
       {
           {" Atividade no &Brasil ", key::kAltB,
            "Contribuinte com atividade no Brasil - Criacao ou alteracao dos dados.", 11},
           {" Atividade no &Exterior ", key::kAltE,
            "Contribuinte com atividade no Exterior - Criacao ou alteracao dos dados.", 12},
           {" Diretorios &ZEL2009 ", 0,
            "Selecione diretorios onde se encontram os contribuintes do ZEL.", 13},
           {" Diretorios &DO2009 ", 0,
            "Selecione diretorios onde se encontram os contribuintes do VU.", 14},
           {" E&xclusao ", 0, "Elimina um ou varios contribuinte(s) do banco de dados do ZEL.", 15},
           {"─"_cp, 0, "", 0},
           {" &Terminar", key::kAltT, "Sai do programa e reorganiza os dados do diretorio atual", 16},
       }},
      {"O&pcoes",
       {
           {"&Area de Trabalho", 0, "Seleciona drive e a pasta para guardar dados temporarios", 21},
           {"&Transferir Dados", 0, "Transfere a declaracao de uma pasta para outra", 22},
           {"Mudar as &Cores", 0, "Seleciona as opcoes de ajustes nas cores e tonalidades do video",
            25},
           {"&Gravar os dados", 0, "Quando e como o programa deve salvar os dados", 26},
           {"Ca&dastro Status", 0, "Cadastra ou altera a situacao da declaracao (status)", 27},
           {"Reinde&xar Dados", 0, "Refaz os indices e reinicia o banco de dados", 28},
           {"Mudar C&PF", 0, "Modifica ou altera o CPF da declaracao inteira", 29},
           {"C&opia Declaracao", 0, "Copia uma declaracao ou parte dela para outra", 30},
           {"&Exporta Arquivo", 0, "Exporta arquivos no formato TXT para uso em outros locais", 31},
           {"Valor do &Dolar", 0, "Informa o valor de conversao do Dolar para atividade no exterior",
            32},
       }},
      {"&Selecao",
       {
           {"", 0, "Selecione O QUE será impresso."_cp, 41},
           {"", 0, "Selecione o tipo de papel a ser utilizado.", 42},
           {"", 0, "Selecione qual a página ou páginas a ser impressa(s)."_cp, 43},
           {"", 0, "Escolha como selecionar o(s) contribuinte(s) para imprimir.", 44},
           {"", 0, "Seleciona se atividade no Brasil ou no Exterior", 45},
           {"&6-Seleçäo Impressora"_cp, 0, "Seleciona impressora e redirecionamento de impressäo."_cp,
            46},
           {"&7-Configura NAO DOS", 0, "Como usar a impresao com impressora que NAO imprime no MS-DOS",
            47},
           {"", 0, "Informe o numero de vias a ser impressa.", 48},
       }},
      {"&Impressao",
       {
           {"&Impressao", 0, "Inicia a Impressao conforme a selecao", 51},
           {"imp &Nao Dos", 0,
            "Imprime o arquivo gerado na impressao se impressora selecionada foi a NAO-DOS", 52},
       }},
      {"Bac&kup",
       {
           {"&Fazer a copia", 0, "Faz a copia de seguranca dos bancos de dados", 61},
           {"&Recuperar a copia", 0, "Recupera a copia de seguranca dos bancos de dados", 62},
       }},
      {"Sai&r",
       {
           {"Sai&r ", key::kAltR, "Sai do programa ", 71},
       }},
  };
  return tree;
}

}  // namespace zel::shell
