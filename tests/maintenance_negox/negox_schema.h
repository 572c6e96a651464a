#pragma once
// The NEGOX tables as the maintenance job assumes them (docs/business-databases-negox.md),
// shared by the tests and the benchmark.

namespace ark::maintenance::test {

inline const char* const kNegoxSchema =
    "CREATE TABLE parametros (pormulta DOUBLE, porcatraso DOUBLE, corrigir_valor YESNO,"
    " dias_tolerancia_bloqueio LONG, data DATETIME, hora DATETIME, usuario VARCHAR(50));"
    "CREATE TABLE agenda_vendedor (codvendedor LONG, data DATETIME, hora DATETIME,"
    " nomecli VARCHAR(60));"
    "CREATE TABLE patrimonio (identificacao LONG, descricao VARCHAR(60), situacao VARCHAR(10),"
    " dtaquisicao DATETIME, valor CURRENCY, depreciacao DOUBLE, vrdepreciado CURRENCY);"
    "CREATE TABLE dependentes (codcli LONG, nome VARCHAR(60), dtnasc DATETIME, idade LONG);"
    "CREATE TABLE produto (codigo LONG, codbarra VARCHAR(20), nome VARCHAR(60),"
    " precusto CURRENCY, prevenda CURRENCY, plucrobruto DOUBLE, precompra CURRENCY,"
    " premcusto CURRENCY, dtcompra DATETIME, dias_estoque LONG);"
    "CREATE TABLE estoque (codigomer VARCHAR(20), quantidade DOUBLE, total CURRENCY);"
    "CREATE TABLE contas_a_receber (codcli LONG, numnota LONG, \"histórico\" VARCHAR(60),"
    " dtvecto DATETIME, valor CURRENCY, diasatraso LONG, vrcorrecao CURRENCY,"
    " vrcorrigido CURRENCY);"
    "CREATE TABLE cliente (codigo LONG, nome VARCHAR(60), situacao VARCHAR(10), conceito LONG,"
    " dtcad DATETIME, debito CURRENCY, credito CURRENCY, saldo CURRENCY, dtultcompra DATETIME,"
    " dataprimeiracompra DATETIME, diassemcompra DOUBLE, dataproxcontato DATETIME);"
    "CREATE TABLE bloqueio_cliente (codcliente LONG, nomecliente VARCHAR(60),"
    " data_bloqueio DATETIME, hora_bloqueio DATETIME, numnota LONG, data_vencimento DATETIME,"
    " motivo VARCHAR(255), valor CURRENCY);"
    "CREATE TABLE contas_recebidas (codcli LONG, vrcorrigido CURRENCY, diasatraso LONG);"
    "CREATE TABLE conceito (\"1min\" DOUBLE, \"1max\" DOUBLE, \"1atraso\" DOUBLE,"
    " \"2min\" DOUBLE, \"2max\" DOUBLE, \"2atraso\" DOUBLE, \"3min\" DOUBLE, \"3max\" DOUBLE,"
    " \"3atraso\" DOUBLE, \"4min\" DOUBLE, \"4max\" DOUBLE, \"4atraso\" DOUBLE,"
    " \"5min\" DOUBLE, \"5max\" DOUBLE, \"5atraso\" DOUBLE);"
    "CREATE TABLE saida (numero LONG, codcli LONG, dtemissao DATETIME);"
    "CREATE TABLE lancamento_servico (codcli LONG, dtlancam DATETIME);"
    "CREATE TABLE fechamento_os (codcli LONG, dtfechamento DATETIME);"
    "CREATE TABLE pcs (nome VARCHAR(50));";

}  // namespace ark::maintenance::test
