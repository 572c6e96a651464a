#!/usr/bin/env bash
# The real SALVIX with a NEGOX installation whose maintenance time comes while it runs, on a
# database another program filled: dates stored as day-first texts, date-only texts and day
# numbers, states in other letter cases. The job runs once and stamps the database.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder --sistema NEGOX --base "$E2E_TMP/negox/" --hora-atualizacao 03:00:00

mkdir -p "$E2E_TMP/negox"
db="$E2E_TMP/negox/negox.mdb"
sqlite3 "$db" <<'SQL' || fail "could not make the NEGOX database"
CREATE TABLE parametros (pormulta DOUBLE, porcatraso DOUBLE, corrigir_valor YESNO,
                         dias_tolerancia_bloqueio LONG, data DATETIME, hora DATETIME,
                         usuario VARCHAR(50));
CREATE TABLE agenda_vendedor (codvendedor LONG, data DATETIME, hora DATETIME, nomecli VARCHAR(60));
CREATE TABLE patrimonio (identificacao LONG, descricao VARCHAR(60), situacao VARCHAR(10),
                         dtaquisicao DATETIME, valor CURRENCY, depreciacao DOUBLE,
                         vrdepreciado CURRENCY);
CREATE TABLE dependentes (codcli LONG, nome VARCHAR(60), dtnasc DATETIME, idade LONG);
CREATE TABLE produto (codigo LONG, codbarra VARCHAR(20), nome VARCHAR(60), precusto CURRENCY,
                      prevenda CURRENCY, plucrobruto DOUBLE, precompra CURRENCY,
                      premcusto CURRENCY, dtcompra DATETIME, dias_estoque LONG);
CREATE TABLE estoque (codigomer VARCHAR(20), quantidade DOUBLE, total CURRENCY);
CREATE TABLE contas_a_receber (codcli LONG, numnota LONG, "histórico" VARCHAR(60),
                               dtvecto DATETIME, valor CURRENCY, diasatraso LONG,
                               vrcorrecao CURRENCY, vrcorrigido CURRENCY);
CREATE TABLE cliente (codigo LONG, nome VARCHAR(60), situacao VARCHAR(10), conceito LONG,
                      dtcad DATETIME, debito CURRENCY, credito CURRENCY, saldo CURRENCY,
                      dtultcompra DATETIME, dataprimeiracompra DATETIME, diassemcompra DOUBLE,
                      dataproxcontato DATETIME);
CREATE TABLE bloqueio_cliente (codcliente LONG, nomecliente VARCHAR(60), data_bloqueio DATETIME,
                               hora_bloqueio DATETIME, numnota LONG, data_vencimento DATETIME,
                               motivo VARCHAR(255), valor CURRENCY);
CREATE TABLE contas_recebidas (codcli LONG, vrcorrigido CURRENCY, diasatraso LONG);
CREATE TABLE conceito ("1min" DOUBLE, "1max" DOUBLE, "1atraso" DOUBLE, "2min" DOUBLE,
                       "2max" DOUBLE, "2atraso" DOUBLE, "3min" DOUBLE, "3max" DOUBLE,
                       "3atraso" DOUBLE, "4min" DOUBLE, "4max" DOUBLE, "4atraso" DOUBLE,
                       "5min" DOUBLE, "5max" DOUBLE, "5atraso" DOUBLE);
CREATE TABLE saida (numero LONG, codcli LONG, dtemissao DATETIME);
CREATE TABLE lancamento_servico (codcli LONG, dtlancam DATETIME);
CREATE TABLE fechamento_os (codcli LONG, dtfechamento DATETIME);
CREATE TABLE pcs (nome VARCHAR(50));
INSERT INTO parametros VALUES (2, 0.033, 0, 30, NULL, NULL, 'fulano');
INSERT INTO conceito VALUES (0, 100, 5, 100, 500, 10, 600, 1000, 10, 1000, 2000, 15,
                             2000, 5000, 20);
-- Free slots: yesterday (purged), today as a day number, tomorrow as a date-only text.
INSERT INTO agenda_vendedor VALUES (1, '06/12/2026', NULL, NULL);
INSERT INTO agenda_vendedor VALUES (2, 46363, NULL, NULL);
INSERT INTO agenda_vendedor VALUES (3, '2026-12-08', NULL, NULL);
INSERT INTO patrimonio VALUES (1, 'balcão', 'ATIVO', '07/12/2024', 10000, 10, 0);
INSERT INTO patrimonio VALUES (2, 'fogão', 'Baixado', '07/12/2024', 10000, 10, 0);
INSERT INTO cliente VALUES (1, 'Ana', 'Bloqueado', 3, '2025-01-01', 0, 0, 0, NULL, NULL, 0, NULL);
INSERT INTO cliente VALUES (2, 'Bruno', 'ativo', 9, '11/01/2026', 0, 0, 0, NULL, NULL, 0, NULL);
INSERT INTO contas_a_receber VALUES (1, 10, 'Ana 10', '07/10/2026', 100, 0, 0, 0);
INSERT INTO bloqueio_cliente VALUES (1, 'Ana', '2026-11-01 00:00:00', '1899-12-30 08:00:00', 10,
                                     '07/10/2026', 'antigo', 1);
INSERT INTO contas_recebidas VALUES (2, 1000, 0);
SQL

q() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }
stamped() { [ "$(q "SELECT ifnull(usuario, 'NULL') FROM parametros")" = "NULL" ]; }

# Ten times faster from half a minute before the maintenance time.
start_salvix "@2026-12-07 02:59:30 x10"
wait_until 40 stamped || fail "the maintenance job did not stamp the NEGOX database"
stamp=$(q "SELECT data || ' ' || hora FROM parametros")
[[ "$stamp" =~ ^2026-12-07\ 00:00:00\ 1899-12-30\ 03:00:[0-5][0-9]$ ]] || fail "unexpected stamp: $stamp"

check() {  # check WHAT SQL EXPECTED
  local got
  got=$(q "$2")
  [ "$got" = "$3" ] || fail "$1: $got (expected $3)"
}
check "agenda purge" "SELECT group_concat(codvendedor, ' ') FROM agenda_vendedor" "2 3"
check "depreciation" "SELECT group_concat(round(vrdepreciado, 2), ' ') FROM patrimonio" "8000.0 0.0"
check "customers" "SELECT group_concat(codigo || ':' || situacao || ':' || conceito, ' ') FROM cliente" \
  "1:BLOQUEADO:0 2:ativo:1"
check "blocking entries" \
  "SELECT group_concat(data_bloqueio || '|' || motivo || '|' || round(valor, 2), ' / ') FROM bloqueio_cliente" \
  "2026-11-01 00:00:00|Atraso de:061 dia(s) referente a nota n.º: 10 de valor: R\$ 100,00|100.0"

sleep 10
kill -0 "$SALVIX_PID" 2>/dev/null || fail "SALVIX ended"
[ "$(q "SELECT data || ' ' || hora FROM parametros")" = "$stamp" ] || fail "the job ran again"
echo "NEGOX maintenance e2e: ok ($stamp)"
