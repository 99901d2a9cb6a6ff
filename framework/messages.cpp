#include "framework/messages.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace vorlam {
namespace {

// Kept in the stored order; lookups go by number.  Texts are exactly the ones
// the suite shows, blanks and spelling included.
constexpr std::array<CatalogueEntry, 53> kCatalogue = {{
    {30, 5, "Chave Inválida", "Arquivo chave %File é inválido. O índice precisa ser recriado."},
    {29, 3, "Chave não criada", "Erro: (%ErrorText) consertando chave de %File."},
    {12, 3, "Erro na criação do arquivo", "Erro: (%ErrorText) criando %File."},
    {27, 5, "Procedimento não definido", "O Procedimento %Message não estava definido."},
    {19, 5, "Erro no Filtro", "O valor do %Field deve ser menor que %Message."},
    {20, 5, "Erro no Filtro", "O Valor do %Field deve ser maior que %Message."},
    {18, 5, "Erro no Filtro", "O valor do %Field deve estar entre %Message."},
    {16, 5, "Conteúdo do campo inválido", "O valor do %Field dese estar entre %Message arquivo."},
    {34, 5, "Erro de Atualização de Integridade referente",
     "Este registro é referencia do arquivo %File. Campo atualizado e foi reajustado os valores originais."},
    {33, 5, "Erro Integridade referente exclui",
     "Este registro é referencia do arquivo %File. Este registro não pode ser apagado enquanto estas "
     "referências existirem."},
    {4, 5, "Erro Inclusão", "Erro durante a inclusão do registro.|Arquivo: %File|Erro: %ErrorText."},
    {7, 5, "Registro não atualizado", "Este registro foi atualizado por outra estação."},
    {8, 5, "Registro não Atualizado",
     "Este registro foi atualizado por outra estação. Essas mudanças serão exibidas agora. Use o atalho "
     "Ctrl+H para atualizar o arquivo."},
    {37, 1, "Erro na alteração do registro",
     "Ocorreu um erro na alteração do registro. Você quer tentar alterar novamente?"},
    {36, 1, "Erro ao excluir o registro", "Ocorreu um erro ao tentar excluir o registro. Tentar excluir novamente?"},
    {23, 5, "Solicitação inválida", "Solicitação inválida para inserir registro"},
    {41, 5, "Solicitação inválida", "Solicitação inválida para alterar registro"},
    {14, 5, "Solicitação inválida", "Solicitação inválida para excluir registro"},
    {10, 1, "As alterações serão perdidas!", "Você deseja realmente cancelar?"},
    {15, 5, "Erro chave duplicada", "Chave duplicada: %Message"},
    {35, 1, "Erro de Incremento de automatico",
     "Tentativas para numerar este registro automaticamente falharam.|Arquivo: %File|Chave: %Key|Erro: "
     "%ErrorText.|Tente Novamente?"},
    {21, 5, "Erro ao carregar o arquivo", "Arquivo: %File .  Erro: %ErrorText."},
    {39, 1, "Erro no inicio do arquivo",
     "O inicio do arquivo %File foi encontrado. Você quer começar novamente do fim do arquivo?"},
    {40, 1, "Erro no fim do arquivo",
     "O fim do arquivo %File foi encontrado. Você quer começar novamente desde o princípio?"},
    {6, 5, "Erro de Acesso de arquivo", "Arquivo %File não pôde ser fechado.  Erro: %ErrorText."},
    {26, 3, "Erro de Acesso de arquivo", "Arquivo %File não pôde ser aberto.  Erro: %ErrorText."},
    {28, 5, "Registro não foi atualizado", "Um erro (%ErrorText) ao fazer alterações no arquivo %File ."},
    {13, 5, "Registro não foi excluido", "Um erro (%ErrorText) ao excluir no arquivo %File ."},
    {11, 1, "Confirma Exclusão", "Deseja realmente excluir o registro selecionado?"},
    {38, 1, "Salvar", "Deseja salvar as alterações?"},
    {24, 5, "Transação cancelada", "Erro: (%ErrorText) tentando moldar a transação em %File."},
    {1, 5, " Erro de Recuperação do registro",
     "Erro: (%ErrorText) tentando acessar um registro do arquivo %File . Voltando a janela anterior."},
    {43, 5, "Erro na visualização", "Erro: (%ErrorText) tentando abrir a visualização atual. Filtro ignorado."},
    {3, 1, "Registro Gravado", "Este registro foi gravado. Deseja gravar outro registro?"},
    {31, 5, "Erro na leitura do registro", "O registro está sendo usado por outra estação. Arquivo %File ."},
    {5, 5, "Incluir novo registro?", "Registro não encontrado, deseja incluir um novo registro?"},
    {17, 5, "Erro Valor", "O valor do %Field deve estar na lista: %Message."},
    {25, 5, "Nenhum Registro", "Não há nenhum registro disponível para processo."},
    {2, 5, "Acesso Negado", "Não pôde adquirir acesso para %File somente leitura."},
    {42, 2, "Erro no uso do arquivo", "Tente usar o arquivo (%File) antes de abrir"},
    {32, 5, "Limite de registro Excedeu",
     "Não será permitido incluir registros para arquivar %File. Será aberto como somente-leitura"},
    {44, 5, "Coluna do filtro sem assistência", "A coluna do filtro, %Field não é válido. Será ignorado do filtro."},
    {45, 5, "Erro de SMTP", "O seguinte erro de SMTP aconteceu: %Message "},
    {46, 5, "Erro de NNTP", "%Message "},
    {47, 5, "Erro de Winsock", "%Message "},
    {49, 3, "Erro de WMF", "O Arquivo %File não é um arquivo de WMF válido."},
    {22, 3, "Erro WMF", "Obtenha próximo registro do arquivo %File falho."},
    {51, 3, "Erro WMF", "Não pode achar código %Field . Analisando %File."},
    {50, 3, "Erro WMF", "Controle inválido %Field . Analisando %File."},
    {48, 3, "Erro WMF", "Incluindo registro para fazer fila falhou. Analisando %File."},
    {52, 5, "Erro ao gerar relatório", "Erro ao gerar relatório \"%Message\" a Posição %Field."},
    {53, 5, "Erro ao gerar relatório", "Propriedade desconhecida %Message."},
    {9, 5, "Erro de Recuperação do registro",
     "Este registro foi alterado ou excluido por outra estação|Erro: (%ErrorText) tentando acessar um "
     "registro do arquivo %File ."},
}};

// One piece of the working text: either still part of the catalogue text
// (and so open to substitution) or an inserted value (never scanned again).
struct Piece {
  std::string text;
  bool literal;
};

void replaceAll(std::vector<Piece>& pieces, std::string_view name, const std::string& value) {
  std::vector<Piece> out;
  out.reserve(pieces.size());
  for (Piece& p : pieces) {
    if (!p.literal) {
      out.push_back(std::move(p));
      continue;
    }
    size_t start = 0;
    for (size_t at = p.text.find(name); at != std::string::npos; at = p.text.find(name, start)) {
      if (at > start) out.push_back({p.text.substr(start, at - start), true});
      out.push_back({value, false});
      start = at + name.size();
    }
    if (start < p.text.size()) out.push_back({p.text.substr(start), true});
  }
  pieces = std::move(out);
}

}  // namespace

std::span<const CatalogueEntry> messageCatalogue() { return kCatalogue; }

const CatalogueEntry* findMessage(uint16_t number) {
  auto it = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                         [number](const CatalogueEntry& e) { return e.number == number; });
  return it == kCatalogue.end() ? nullptr : &*it;
}

MessageLevel effectiveLevel(uint8_t storedLevel) {
  switch (storedLevel) {
    case 0: return MessageLevel::kBenign;
    case 1:
    case 4: return MessageLevel::kUser;
    case 5: return MessageLevel::kNotify;
    default: return MessageLevel::kFatal;  // 2, 3 and anything unknown
  }
}

std::string errorTextValue(const PlaceholderValues& v) {
  if (v.errorCode == 90 || v.errorCode == 100) return v.fileError + " (" + v.fileErrorCode + ")";
  return v.errorText + " (" + std::to_string(v.errorCode) + ")";
}

std::string cutUtf8(std::string_view text, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (chars == maxChars) return std::string(text.substr(0, i));
    ++chars;
  }
  return std::string(text);
}

std::string substitutePlaceholders(std::string_view text, const PlaceholderValues& v) {
  std::vector<Piece> pieces{{std::string(text), true}};
  // Longer names strictly before their prefixes.
  replaceAll(pieces, "%FileErrorCode", v.fileErrorCode);
  replaceAll(pieces, "%FileError", v.fileError);
  replaceAll(pieces, "%File", v.file);
  replaceAll(pieces, "%Key", v.key);
  replaceAll(pieces, "%ErrorCode", std::to_string(v.errorCode));
  replaceAll(pieces, "%ErrorText", errorTextValue(v));
  replaceAll(pieces, "%Error", v.errorText);
  replaceAll(pieces, "%Message", v.message);
  replaceAll(pieces, "%Field", v.field);
  replaceAll(pieces, "%Procedure", v.procedure);
  replaceAll(pieces, "%Category", v.category);
  replaceAll(pieces, "%Previous", v.previous);
  std::string out;
  for (const Piece& p : pieces) out += p.text;
  return cutUtf8(out, kMaxMessageText);
}

}  // namespace vorlam
