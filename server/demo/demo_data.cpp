// The demonstration database: a medicine and hospital-supply distributor
// with three branches. Everything is fixed by a seed, so tests can rely on
// codes, names and numbers; only dates follow the day of creation.

#include "demo_data.h"
#include "store/database.h"

#include "check_digits.h"
#include "demo_customers.h"
#include "demo_item_checks.h"
#include "demo_payment.h"
#include "demo_confirmation.h"
#include "demo_replication.h"
#include "demo_stock_taxes.h"
#include "money.h"
#include "order_factory.h"
#include "rpc/password.h"
#include "store/sql.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSqlQuery>

namespace {

struct City {
    const char* state;
    const char* code;
    const char* name;
    const char* postalPrefix;   // first five digits of the CEP
};

const City cities[] = {
    {"SP", "0001", "São Paulo", "01310"},      {"SP", "0002", "Campinas", "13015"},
    {"SP", "0003", "Santos", "11010"},         {"SP", "0004", "Ribeirão Preto", "14010"},
    {"SP", "0005", "Sorocaba", "18035"},       {"SP", "0006", "São José dos Campos", "12210"},
    {"RJ", "0001", "Rio de Janeiro", "20040"}, {"RJ", "0002", "Niterói", "24020"},
    {"RJ", "0003", "Petrópolis", "25610"},     {"MG", "0001", "Belo Horizonte", "30130"},
    {"MG", "0002", "Uberlândia", "38400"},     {"MG", "0003", "Juiz de Fora", "36010"},
    {"PR", "0001", "Curitiba", "80010"},       {"PR", "0002", "Londrina", "86010"},
    {"PR", "0003", "Maringá", "87013"},        {"SC", "0001", "Florianópolis", "88010"},
    {"SC", "0002", "Joinville", "89201"},      {"SC", "0003", "Blumenau", "89010"},
    {"RS", "0001", "Porto Alegre", "90010"},   {"RS", "0002", "Caxias do Sul", "95020"},
    {"BA", "0001", "Salvador", "40020"},       {"BA", "0002", "Feira de Santana", "44001"},
    {"PE", "0001", "Recife", "50010"},         {"PE", "0002", "Olinda", "53010"},
    {"GO", "0001", "Goiânia", "74003"},        {"DF", "0001", "Brasília", "70040"},
};
constexpr int saoPaulo = 0, campinas = 1, santos = 2, curitiba = 12;

const char* const brazil = "1058";
const char* const argentina = "0639";

struct CustomerDef {
    const char* legalName;
    const char* tradeName;
    char documentType;   // 'J' company (CNPJ), 'F' person (CPF)
    char customerType;   // 'R' reseller, 'F' final consumer, 'O' public body
    int city;
    const char* street;
    const char* district;
};

const CustomerDef customerDefs[] = {
    {"Drogaria São Bento Ltda", "Drogaria São Bento", 'J', 'R', saoPaulo, "Rua São Bento, 245", "Centro"},
    {"Hospital Santa Clara S/A", "Hospital Santa Clara", 'J', 'F', saoPaulo, "Avenida Santo Amaro, 3120", "Brooklin"},
    {"Farmácia Popular do Centro Ltda", "Farmácia do Centro", 'J', 'R', campinas, "Rua Barão de Jaguara, 890", "Centro"},
    {"Clínica Vida e Saúde Ltda", "Clínica Vida e Saúde", 'J', 'F', saoPaulo, "Rua Augusta, 1508", "Consolação"},
    {"Distribuidora Paulista de Medicamentos Ltda", "DistriPaulista", 'J', 'R', santos, "Avenida Ana Costa, 410", "Gonzaga"},
    {"Laboratório de Análises Bom Jesus Ltda", "Laboratório Bom Jesus", 'J', 'F', campinas, "Avenida Norte-Sul, 1200", "Cambuí"},
    {"Casa de Saúde Nossa Senhora Aparecida", "Casa de Saúde Aparecida", 'J', 'F', 3, "Rua Garibaldi, 1780", "Jardim Sumaré"},
    {"Prefeitura Municipal de Campinas", "Prefeitura de Campinas", 'J', 'O', campinas, "Avenida Anchieta, 200", "Centro"},
    {"Secretaria de Estado da Saúde do Paraná", "SESA Paraná", 'J', 'O', curitiba, "Rua Piquiri, 170", "Rebouças"},
    {"Drogaria Rede Farma Sul Ltda", "Rede Farma Sul", 'J', 'R', curitiba, "Rua XV de Novembro, 1020", "Centro"},
    {"Farmácia de Manipulação Essência Ltda", "Essência Manipulação", 'J', 'R', 15, "Rua Felipe Schmidt, 315", "Centro"},
    {"Hospital Municipal de Santos", "Hospital Municipal Santos", 'J', 'O', santos, "Rua Oswaldo Cruz, 197", "Boqueirão"},
    {"Clínica Odontológica Sorriso Ltda", "Sorriso Odontologia", 'J', 'F', 4, "Avenida General Carneiro, 560", "Centro"},
    {"Policlínica Jardim América Ltda", "Policlínica Jd. América", 'J', 'F', saoPaulo, "Rua Groenlândia, 88", "Jardim América"},
    {"Drogaria Bela Vista Ltda ME", "Drogaria Bela Vista", 'J', 'R', saoPaulo, "Rua Treze de Maio, 1150", "Bela Vista"},
    {"Centro Médico Ipiranga Ltda", "Centro Médico Ipiranga", 'J', 'F', saoPaulo, "Rua Bom Pastor, 2100", "Ipiranga"},
    {"Farmácia e Perfumaria Primavera Ltda", "Farmácia Primavera", 'J', 'R', 9, "Avenida Afonso Pena, 1500", "Centro"},
    {"Hospital Veterinário Quatro Patas Ltda", "Vet Quatro Patas", 'J', 'F', 5, "Rua da Penha, 640", "Centro"},
    {"Associação Beneficente São Lucas", "Beneficente São Lucas", 'J', 'F', 6, "Rua Voluntários da Pátria, 75", "Botafogo"},
    {"Drogaria Econômica Minas Ltda", "Drogaria Econômica", 'J', 'R', 10, "Avenida João Naves de Ávila, 1331", "Santa Mônica"},
    {"Clínica de Fisioterapia Movimento Ltda", "Fisio Movimento", 'J', 'F', 16, "Rua Nove de Março, 480", "Centro"},
    {"Farmácia Universitária Curitiba Ltda", "Farmácia Universitária", 'J', 'R', curitiba, "Avenida Sete de Setembro, 2775", "Rebouças"},
    {"Hospital Regional do Vale Ltda", "Hospital Regional do Vale", 'J', 'F', 17, "Rua Sete de Setembro, 1213", "Centro"},
    {"Distribuidora Nordeste Saúde Ltda", "Nordeste Saúde", 'J', 'R', 20, "Avenida Tancredo Neves, 1632", "Caminho das Árvores"},
    {"Drogaria Litoral Norte Ltda", "Drogaria Litoral", 'J', 'R', 22, "Avenida Boa Viagem, 3400", "Boa Viagem"},
    {"Instituto de Oncologia Esperança Ltda", "Oncologia Esperança", 'J', 'F', 18, "Rua Ramiro Barcelos, 910", "Floresta"},
    {"Consultório Pediátrico Crescer Ltda", "Pediatria Crescer", 'J', 'F', 24, "Avenida T-63, 1296", "Setor Bueno"},
    {"Ana Paula Ferreira", "Ana Paula Ferreira", 'F', 'F', saoPaulo, "Rua Cardeal Arcoverde, 712, apto 51", "Pinheiros"},
    {"Carlos Eduardo Souza", "Carlos Souza", 'F', 'F', campinas, "Rua Coronel Quirino, 1045", "Cambuí"},
    {"Mariana Oliveira Santos", "Mariana Santos", 'F', 'F', santos, "Avenida Conselheiro Nébias, 300", "Boqueirão"},
    {"José Roberto Almeida", "José Almeida", 'F', 'F', saoPaulo, "Rua Vergueiro, 3185", "Vila Mariana"},
    {"Fernanda Lima Costa", "Fernanda Costa", 'F', 'F', curitiba, "Rua Padre Anchieta, 1922", "Bigorrilho"},
    {"Ricardo Pereira Gomes", "Ricardo Gomes", 'F', 'F', 13, "Avenida Higienópolis, 600", "Centro"},
    {"Juliana Rodrigues Martins", "Juliana Martins", 'F', 'F', 7, "Rua Moreira César, 229", "Icaraí"},
    {"Paulo Henrique Barbosa", "Paulo Barbosa", 'F', 'F', 9, "Rua da Bahia, 1148", "Lourdes"},
    {"Camila Ribeiro Carvalho", "Camila Carvalho", 'F', 'F', saoPaulo, "Rua Tuiuti, 1450", "Tatuapé"},
    {"Rafael Teixeira Araújo", "Rafael Araújo", 'F', 'F', 14, "Avenida Brasil, 4010", "Zona 01"},
    {"Patrícia Mendes Rocha", "Patrícia Rocha", 'F', 'F', 21, "Rua Conselheiro Portela, 59", "Espinheiro"},
    {"Lucas Cardoso Dias", "Lucas Dias", 'F', 'F', 25, "SQS 308 Bloco C, apto 204", "Asa Sul"},
    {"Beatriz Nunes Moreira", "Beatriz Moreira", 'F', 'F', campinas, "Rua Maria Monteiro, 830", "Cambuí"},
    {"Gustavo Correia Pinto", "Gustavo Pinto", 'F', 'F', saoPaulo, "Alameda Santos, 2101", "Cerqueira César"},
    {"Aline Castro Monteiro", "Aline Monteiro", 'F', 'F', 11, "Rua Halfeld, 414", "Centro"},
    {"Marcelo Farias Cavalcanti", "Marcelo Cavalcanti", 'F', 'F', 19, "Rua Sinimbu, 1878", "Centro"},
    {"Tatiane Lopes Vieira", "Tatiane Vieira", 'F', 'F', curitiba, "Rua Mateus Leme, 2400", "Centro Cívico"},
    {"Eduardo Batista Moura", "Eduardo Moura", 'F', 'F', santos, "Rua Azevedo Sodré, 122", "Gonzaga"},
};
constexpr int blockedCustomer = 2;     // Farmácia do Centro
constexpr int inactiveCustomer = 43;   // Tatiane Vieira

struct SellerDef {
    const char* code;
    const char* tradeName;
    const char* legalName;
    char documentType;
    double commissionPercent;
    double maxDiscountPercent;
    const char* commission;
    const char* priceTable;
    const char* generatesCommission;
};

const SellerDef sellerDefs[] = {
    {"0001", "Roberto Alves", "Roberto Carlos Alves", 'F', 3.0, 5, "01", "01", "S"},
    {"0002", "Maria Souza", "Maria Aparecida Souza", 'F', 2.5, 5, "01", "01", "S"},
    {"0003", "João Martins", "João Pedro Martins", 'F', 3.0, 8, "02", "02", "S"},
    {"0004", "Cláudia Ramos", "Cláudia Ramos de Oliveira", 'F', 2.0, 4, "01", "01", "S"},
    {"0005", "Sérgio Nogueira", "Sérgio Luiz Nogueira", 'F', 3.5, 10, "02", "02", "S"},
    {"0006", "Representações Oeste", "Oeste Representações Comerciais Ltda", 'J', 4.0, 6, "03", "02", "S"},
    {"0007", "Helena Duarte", "Helena Cristina Duarte", 'F', 0.0, 5, "01", "01", "N"},
    {"0008", "Fábio Cunha", "Fábio Henrique Cunha", 'F', 3.0, 5, "02", "03", "S"},
};

struct MedicineDef {
    const char* name;
    const char* strength;
    double blisterPrice;   // price of a blister of 10
    int maker;
    bool controlled;
};

const MedicineDef medicineDefs[] = {
    {"Dipirona Sódica", "500mg", 3.20, 0, false},       {"Paracetamol", "750mg", 3.90, 1, false},
    {"Ibuprofeno", "600mg", 6.40, 2, false},            {"Amoxicilina", "500mg", 9.80, 0, false},
    {"Azitromicina", "500mg", 18.50, 3, false},         {"Losartana Potássica", "50mg", 4.70, 1, false},
    {"Captopril", "25mg", 2.90, 2, false},              {"Enalapril", "10mg", 3.10, 0, false},
    {"Atenolol", "50mg", 3.60, 3, false},               {"Sinvastatina", "20mg", 5.90, 1, false},
    {"Metformina", "850mg", 4.20, 2, false},            {"Glibenclamida", "5mg", 2.70, 0, false},
    {"Omeprazol", "20mg", 4.80, 3, false},              {"Ranitidina", "150mg", 5.10, 1, false},
    {"Dexametasona", "4mg", 6.90, 2, false},            {"Prednisona", "20mg", 5.30, 0, false},
    {"Loratadina", "10mg", 4.40, 3, false},             {"Cetirizina", "10mg", 6.20, 1, false},
    {"Diclofenaco Sódico", "50mg", 3.30, 2, false},     {"Nimesulida", "100mg", 4.10, 0, false},
    {"Cefalexina", "500mg", 12.40, 3, false},           {"Ciprofloxacino", "500mg", 14.90, 1, false},
    {"Fluconazol", "150mg", 8.70, 2, false},            {"Metronidazol", "400mg", 6.60, 0, false},
    {"Hidroclorotiazida", "25mg", 2.40, 3, false},      {"Furosemida", "40mg", 2.80, 1, false},
    {"Anlodipino", "5mg", 4.90, 2, false},              {"Clonazepam", "2mg", 7.80, 0, true},
    {"Sertralina", "50mg", 16.30, 3, true},             {"Fluoxetina", "20mg", 9.40, 1, true},
    {"Levotiroxina", "50mcg", 8.10, 2, false},          {"Ácido Acetilsalicílico", "100mg", 2.10, 0, false},
};
constexpr int clonazepam = 27;

struct SupplyDef {
    const char* name;
    const char* unit;
    double price;
    int maker;
    double grossWeightKg;
};

const SupplyDef supplyDefs[] = {
    {"Luva de Procedimento P cx c/100", "CX", 32.90, 4, 0.60},   {"Luva de Procedimento M cx c/100", "CX", 32.90, 4, 0.62},
    {"Luva de Procedimento G cx c/100", "CX", 32.90, 4, 0.65},   {"Seringa Descartável 1ml", "UN", 0.45, 5, 0.005},
    {"Seringa Descartável 3ml", "UN", 0.38, 5, 0.006},          {"Seringa Descartável 5ml", "UN", 0.42, 5, 0.008},
    {"Seringa Descartável 10ml", "UN", 0.55, 5, 0.011},         {"Seringa Descartável 20ml", "UN", 0.89, 5, 0.016},
    {"Agulha Hipodérmica 25x7 cx c/100", "CX", 14.50, 5, 0.20}, {"Agulha Hipodérmica 30x8 cx c/100", "CX", 14.50, 5, 0.21},
    {"Agulha Hipodérmica 40x12 cx c/100", "CX", 15.90, 5, 0.24}, {"Agulha Hipodérmica 13x4,5 cx c/100", "CX", 13.90, 5, 0.18},
    {"Gaze Estéril 7,5x7,5cm pct c/10", "PCT", 2.30, 6, 0.03},  {"Gaze Não Estéril pct c/500", "PCT", 24.90, 6, 0.45},
    {"Atadura de Crepe 10cm", "UN", 1.20, 6, 0.04},             {"Atadura de Crepe 15cm", "UN", 1.70, 6, 0.06},
    {"Atadura de Crepe 20cm", "UN", 2.30, 6, 0.08},             {"Esparadrapo 10cm x 4,5m", "UN", 8.90, 6, 0.12},
    {"Esparadrapo 5cm x 4,5m", "UN", 5.40, 6, 0.07},            {"Álcool Etílico 70% 1 litro", "FR", 9.90, 7, 1.05},
    {"Álcool Etílico 70% 5 litros", "GL", 42.00, 7, 5.20},      {"Máscara Cirúrgica Tripla cx c/50", "CX", 18.90, 4, 0.25},
    {"Máscara PFF2 N95", "UN", 3.90, 4, 0.02},                   {"Cateter Intravenoso 18G", "UN", 2.10, 5, 0.01},
    {"Cateter Intravenoso 20G", "UN", 2.10, 5, 0.01},           {"Cateter Intravenoso 22G", "UN", 2.10, 5, 0.01},
    {"Cateter Intravenoso 24G", "UN", 2.30, 5, 0.01},           {"Equipo Macrogotas", "UN", 2.90, 5, 0.04},
    {"Equipo Microgotas", "UN", 3.20, 5, 0.04},                  {"Algodão Hidrófilo 500g", "PCT", 16.50, 6, 0.55},
    {"Algodão Hidrófilo 250g", "PCT", 9.40, 6, 0.28},           {"Termômetro Clínico Digital", "UN", 19.90, 4, 0.05},
    {"Fralda Geriátrica P pct c/8", "PCT", 21.90, 7, 0.50},      {"Fralda Geriátrica M pct c/8", "PCT", 23.90, 7, 0.60},
    {"Fralda Geriátrica G pct c/8", "PCT", 25.90, 7, 0.70},      {"Fralda Geriátrica XG pct c/7", "PCT", 27.90, 7, 0.75},
    {"Soro Fisiológico 0,9% 250ml", "FR", 3.10, 7, 0.28},        {"Soro Fisiológico 0,9% 500ml", "FR", 4.20, 7, 0.55},
    {"Soro Fisiológico 0,9% 1000ml", "FR", 6.30, 7, 1.08},       {"Soro Glicosado 5% 500ml", "FR", 4.90, 7, 0.55},
    {"Soro Glicosado 5% 1000ml", "FR", 7.20, 7, 1.08},           {"Compressa Cirúrgica 45x50cm pct c/50", "PCT", 39.90, 6, 0.90},
    {"Compressa de Gaze 7,5x7,5cm pct c/500", "PCT", 27.90, 6, 0.50}, {"Coletor de Urina Sistema Fechado", "UN", 6.90, 5, 0.12},
    {"Sonda Uretral nº 10", "UN", 1.10, 5, 0.02},               {"Sonda Uretral nº 12", "UN", 1.10, 5, 0.02},
    {"Sonda Nasogástrica nº 16", "UN", 2.40, 5, 0.03},          {"Touca Descartável pct c/100", "PCT", 12.90, 4, 0.20},
    {"Avental Descartável Manga Longa", "UN", 3.60, 4, 0.06},    {"Kit Curativo Simples", "KIT", 14.90, 6, 0.40},
    {"Kit Curativo Completo", "KIT", 24.90, 6, 0.70},            {"Fita Microporosa 25mm x 10m", "UN", 4.90, 6, 0.05},
    {"Bolsa Coletora de Colostomia", "UN", 11.90, 5, 0.04},       {"Lâmina de Bisturi nº 15 cx c/100", "CX", 39.00, 5, 0.15},
};
constexpr int kitSimples = 51, kitCompleto = 52;
constexpr int outOfStockSupply = 31;   // the digital thermometer: no lots anywhere

const char* const makers[][2] = {
    {"00000000000000000001", "Vitalis Farmacêutica"}, {"00000000000000000002", "Brasfarma Indústria Química"},
    {"00000000000000000003", "Quimiobras Genéricos"}, {"00000000000000000004", "Laboratório Aurora"},
    {"00000000000000000005", "Protex Descartáveis"},  {"00000000000000000006", "Hospimed Produtos Hospitalares"},
    {"00000000000000000007", "Cirúrgica Santa Fé"},   {"00000000000000000008", "Nutrivida Soluções"},
};

struct ProductRow {
    QString code, userCode, name, unit, stockProduct;
    double conversion = 1, price = 0, grossWeight = 0;
    int maker = 0;
    bool controlled = false, isStockProduct = true;
    QString ingredient;
};

QString ean13(const QString& twelveDigits)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += twelveDigits.at(i).digitValue() * (i % 2 == 0 ? 1 : 3);
    return twelveDigits + QString::number((10 - sum % 10) % 10);
}

// Costs between 55 % and 95 % of the price, so orders fall into every
// profitability band.
double unitCost(const ProductRow& product)
{
    const int spread = (product.code.toInt() * 37) % 41;   // 0 .. 40
    return RoundDec(product.price * (0.55 + spread / 100.0), 2);
}

class DemoLoader {
public:
    explicit DemoLoader(QSqlDatabase& db) : m_db(db) {}

    void load()
    {
        places();
        companyAndBranches();
        operators();
        sellers();
        transport();
        customers();
        products();
        prices();
        taxesAndProfitability();
        commercialTerms();
        stock();
        parameters();
        orders();
        counters();
        loadDemoCustomers(m_db, m_today);
        loadDemoStockAndTaxes(m_db);
        loadDemoItemChecks(m_db);
        loadDemoPayment(m_db);
        loadDemoReplication(m_db);
        loadDemoConfirmation(m_db);
    }

private:
    void insert(const QString& table, const QStringList& columns, const QList<QVariantList>& rows)
    {
        BatchInserter inserter(m_db, table, columns);
        for (const QVariantList& row : rows)
            inserter.add(row);
        inserter.flush();
    }

    QDateTime at(int daysFromToday, int hour = 0, int minute = 0) const
    {
        return QDateTime(m_today.addDays(daysFromToday), QTime(hour, minute));
    }

    QString documentFor(char documentType)
    {
        for (;;) {
            QString base;
            const int digits = documentType == 'J' ? 8 : 9;
            for (int i = 0; i < digits; ++i)
                base += QChar(u'0' + m_random.below(10));
            if (base.count(base.at(0)) == base.size())
                continue;   // all digits equal: formally valid, refused by every validator
            return documentType == 'J' ? cnpjWithCheckDigits(base + QStringLiteral("0001")) : cpfWithCheckDigits(base);
        }
    }

    QString postalCode(int city)
    {
        return QLatin1String(cities[city].postalPrefix) + zeroPadded(m_random.below(1000), 3);
    }

    // --- places, company, people --------------------------------------------

    void places()
    {
        insert(QStringLiteral("PAIS"), {QStringLiteral("CDPAIS"), QStringLiteral("NMPAIS")},
               {{brazil, QStringLiteral("Brasil")}, {argentina, QStringLiteral("Argentina")}});
        const QList<std::pair<const char*, const char*>> states = {
            {"SP", "São Paulo"}, {"RJ", "Rio de Janeiro"}, {"MG", "Minas Gerais"}, {"PR", "Paraná"},
            {"SC", "Santa Catarina"}, {"RS", "Rio Grande do Sul"}, {"BA", "Bahia"}, {"PE", "Pernambuco"},
            {"GO", "Goiás"}, {"DF", "Distrito Federal"}};
        QList<QVariantList> stateRows;
        for (const auto& [code, name] : states)
            stateRows.append({brazil, code, QString::fromUtf8(name)});
        // A province abbreviation may repeat a Brazilian one: "BA" is also Buenos Aires.
        stateRows.append({argentina, QStringLiteral("BA"), QStringLiteral("Buenos Aires")});
        stateRows.append({argentina, QStringLiteral("CB"), QStringLiteral("Córdoba")});
        insert(QStringLiteral("ESTADO"), {QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO"), QStringLiteral("NMESTADO")}, stateRows);

        QList<QVariantList> cityRows;
        for (const City& city : cities)
            cityRows.append({brazil, city.state, city.code, QString::fromUtf8(city.name)});
        cityRows.append({argentina, QStringLiteral("BA"), QStringLiteral("0001"), QStringLiteral("La Plata")});
        cityRows.append({argentina, QStringLiteral("BA"), QStringLiteral("0002"), QStringLiteral("Mar del Plata")});
        cityRows.append({argentina, QStringLiteral("CB"), QStringLiteral("0001"), QStringLiteral("Córdoba")});
        insert(QStringLiteral("MUNICIPIO"),
               {QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO"), QStringLiteral("CDMUNICIPIO"), QStringLiteral("NMMUNICIPIO")},
               cityRows);
    }

    void companyAndBranches()
    {
        const QString root = QStringLiteral("48291736");
        insert(QStringLiteral("EMPRESA"),
               {QStringLiteral("CDEMPRESA"), QStringLiteral("NMEMPRESA"), QStringLiteral("NMFANTEMPR"), QStringLiteral("NRINSJUREMPR")},
               {{QStringLiteral("01"), QStringLiteral("Vale Verde Distribuidora de Medicamentos Ltda"),
                 QStringLiteral("Vale Verde"), cnpjWithCheckDigits(root + QStringLiteral("0001"))}});

        struct BranchDef { const char* code; const char* name; const char* segment; const char* stateRegistration;
                           const char* cityRegistration; const char* role; const char* controlsStock; int city;
                           const char* street; const char* district; };
        const BranchDef branches[] = {
            {"0001", "Matriz São Paulo", "00001", "110042490114", "30012345", "M", "S", saoPaulo,
             "Rua Vergueiro, 1855", "Vila Mariana"},
            {"0002", "Filial Campinas", "00001", "244198302113", "10029876", "F", "S", campinas,
             "Avenida John Boyd Dunlop, 3900", "Jardim Ipaussurama"},
            {"0003", "Filial Curitiba", "00002", "9041732851", "0114509", "F", "N", curitiba,
             "Rua Engenheiros Rebouças, 2150", "Rebouças"},
        };
        QList<QVariantList> branchRows, addressRows, seriesRows;
        for (const BranchDef& branch : branches) {
            branchRows.append({branch.code, QStringLiteral("01"), QString::fromUtf8(branch.name), branch.segment,
                               cnpjWithCheckDigits(root + QLatin1String(branch.code)), branch.stateRegistration,
                               branch.cityRegistration, QStringLiteral("1"), branch.role, branch.controlsStock});
            const City& city = cities[branch.city];
            addressRows.append({branch.code, QStringLiteral("P"), brazil, city.state, city.code,
                                QString::fromUtf8(branch.street), QString::fromUtf8(branch.district), postalCode(branch.city),
                                QStringLiteral("(%1) 3%2-%3").arg(branch.city == curitiba ? 41 : branch.city == campinas ? 19 : 11)
                                    .arg(zeroPadded(m_random.below(1000), 3), zeroPadded(m_random.below(10000), 4))});
            seriesRows.append({QStringLiteral("01"), branch.stateRegistration, branch.cityRegistration, QStringLiteral("1"),
                               QStringLiteral("Série 1 - NF-e de saída"), 990, 0});
            seriesRows.append({QStringLiteral("01"), branch.stateRegistration, branch.cityRegistration, QStringLiteral("2"),
                               QStringLiteral("Série 2 - Venda futura"), 990, 0});
        }
        insert(QStringLiteral("FILIAL"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("CDEMPRESA"), QStringLiteral("NMFILIAL"), QStringLiteral("CDSEGMER"),
                QStringLiteral("NRINSJURFILI"), QStringLiteral("CDINSCESTA"), QStringLiteral("CDINSCMUNI"), QStringLiteral("CDSERIE"),
                QStringLiteral("IDFUNCAOFILI"), QStringLiteral("IDCTRLESTFIL")},
               branchRows);
        insert(QStringLiteral("ENDEFILI"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("IDTPENDEFILI"), QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO"),
                QStringLiteral("CDMUNICIPIO"), QStringLiteral("DSENDEFILI"), QStringLiteral("NMBAIRFILI"), QStringLiteral("NRCEPFILI"),
                QStringLiteral("NRTELEFILI")},
               addressRows);
        insert(QStringLiteral("SERIENF"),
               {QStringLiteral("CDEMPRESA"), QStringLiteral("CDINSCESTA"), QStringLiteral("CDINSCMUNI"), QStringLiteral("CDSERIE"),
                QStringLiteral("DSSERIE"), QStringLiteral("NRMAXITNF"), QStringLiteral("NRMAXSERVNF")},
               seriesRows);

        insert(QStringLiteral("DEPARTAMENTO"), {QStringLiteral("CDDEPTO"), QStringLiteral("NMDEPTO")},
               {{QStringLiteral("001"), QStringLiteral("Comercial")}, {QStringLiteral("002"), QStringLiteral("Eventos")},
                {QStringLiteral("003"), QStringLiteral("Licitações")}, {QStringLiteral("004"), QStringLiteral("Televendas")}});
        insert(QStringLiteral("MENSAGEM"), {QStringLiteral("CDMENSAGEM"), QStringLiteral("DSMENSAGEM"), QStringLiteral("IDSITUACAOMENS")},
               {{QStringLiteral("001"), QStringLiteral("Produto sujeito a controle especial conforme Portaria SVS/MS 344/98."), QStringLiteral("A")},
                {QStringLiteral("002"), QStringLiteral("Mercadoria destinada a uso hospitalar. Proibida a venda a varejo."), QStringLiteral("A")},
                {QStringLiteral("003"), QStringLiteral("Entrega agendada: conferir a mercadoria no ato do recebimento."), QStringLiteral("A")},
                {QStringLiteral("004"), QStringLiteral("Pedido vinculado a empenho; informar o número do empenho na cobrança."), QStringLiteral("A")},
                {QStringLiteral("005"), QStringLiteral("Promoção válida até o último dia do mês."), QStringLiteral("I")}});
        insert(QStringLiteral("TIPOEDITAL"), {QStringLiteral("CDTIPOEDITAL"), QStringLiteral("NMTIPOEDITAL")},
               {{QStringLiteral("001"), QStringLiteral("Pregão Eletrônico")}, {QStringLiteral("002"), QStringLiteral("Pregão Presencial")},
                {QStringLiteral("003"), QStringLiteral("Tomada de Preços")}, {QStringLiteral("004"), QStringLiteral("Dispensa de Licitação")}});
        insert(QStringLiteral("GRUPOFISCAL"), {QStringLiteral("CDGRUPOFISC"), QStringLiteral("NMGRUPOFISC")},
               {{QStringLiteral("001"), QStringLiteral("Contribuinte do ICMS")}, {QStringLiteral("002"), QStringLiteral("Não contribuinte")},
                {QStringLiteral("003"), QStringLiteral("Órgão público")}});
    }

    void operators()
    {
        insert(QStringLiteral("GRUPOOPER"), {QStringLiteral("CDGRUPOPER"), QStringLiteral("NMGRUPOPER"), QStringLiteral("CDLIDGRUPOP")},
               {{QStringLiteral("01"), QStringLiteral("Vendas Internas"), QStringLiteral("DEMO")},
                {QStringLiteral("02"), QStringLiteral("Televendas"), QStringLiteral("DEMO")}});
        insert(QStringLiteral("OPERADOR"),
               {QStringLiteral("CDOPERADOR"), QStringLiteral("NMOPERADOR"), QStringLiteral("CDGRUPOPER"), QStringLiteral("CDLIDGRUPOP"),
                QStringLiteral("IDLIDER"), QStringLiteral("DSSENHAHASH"), QStringLiteral("IDATIVO")},
               {{QStringLiteral("DEMO"), QStringLiteral("Operador de Demonstração"), QStringLiteral("01"), QStringLiteral("DEMO"),
                 QStringLiteral("S"), hashPassword(QStringLiteral("demo")), QStringLiteral("S")},
                {QStringLiteral("MARIA"), QStringLiteral("Maria Aparecida Souza"), QStringLiteral("02"), QStringLiteral("DEMO"),
                 QStringLiteral("N"), hashPassword(QStringLiteral("maria")), QStringLiteral("S")},
                {QStringLiteral("ANTIGO"), QStringLiteral("Operador Desligado"), QStringLiteral("01"), QStringLiteral("DEMO"),
                 QStringLiteral("N"), hashPassword(QStringLiteral("antigo")), QStringLiteral("N")}});
        insert(QStringLiteral("PERMISSAOOPER"), {QStringLiteral("CDOPERADOR"), QStringLiteral("CDPERMISSAO"), QStringLiteral("CDFILIAL")},
               {{QStringLiteral("DEMO"), QStringLiteral("ALTP"), QStringLiteral("0001")},
                {QStringLiteral("DEMO"), QStringLiteral("ALTP"), QStringLiteral("0002")},
                {QStringLiteral("DEMO"), QStringLiteral("ALTP"), QStringLiteral("0003")},
                {QStringLiteral("ANTIGO"), QStringLiteral("ALTP"), QStringLiteral("0001")}});
    }

    void sellers()
    {
        insert(QStringLiteral("COMISSAO"),
               {QStringLiteral("CDCOMISSAO"), QStringLiteral("NMCOMISSAO"), QStringLiteral("VRPECOMISSAO"),
                QStringLiteral("DTINIVALCOM"), QStringLiteral("DTFIMVALCOM")},
               {{QStringLiteral("01"), QStringLiteral("Comissão padrão"), 3.0, at(-730), at(730)},
                {QStringLiteral("02"), QStringLiteral("Comissão especial"), 4.0, at(-365), at(365)},
                {QStringLiteral("03"), QStringLiteral("Comissão de representante (vencida)"), 5.0, at(-730), at(-1)}});
        insert(QStringLiteral("PRECOBASE"), {QStringLiteral("CDPRECOBASE"), QStringLiteral("DSPRECOBASE")},
               {{QStringLiteral("01"), QStringLiteral("Tabela Varejo")}, {QStringLiteral("02"), QStringLiteral("Tabela Atacado")},
                {QStringLiteral("03"), QStringLiteral("Tabela Governo")},
                {QStringLiteral("04"), QStringLiteral("Contrato Hospitalar")}});
        insert(QStringLiteral("PRECOBASEFIL"), {QStringLiteral("CDFILIAL"), QStringLiteral("CDPRECOBASE")},
               {{QStringLiteral("0001"), QStringLiteral("01")}, {QStringLiteral("0001"), QStringLiteral("02")},
                {QStringLiteral("0001"), QStringLiteral("03")}, {QStringLiteral("0001"), QStringLiteral("04")},
                {QStringLiteral("0003"), QStringLiteral("01")}});

        QList<QVariantList> rows;
        for (const SellerDef& seller : sellerDefs)
            rows.append({seller.code, QString::fromUtf8(seller.tradeName), QString::fromUtf8(seller.legalName),
                         QString(QChar(seller.documentType)), documentFor(seller.documentType), seller.commissionPercent,
                         seller.maxDiscountPercent, seller.commission, seller.generatesCommission, seller.priceTable,
                         QStringLiteral("S")});
        insert(QStringLiteral("VENDEDOR"),
               {QStringLiteral("CDVENDEDOR"), QStringLiteral("NMFANVEN"), QStringLiteral("NMRAZSOCVEN"), QStringLiteral("IDTPIJURVEN"),
                QStringLiteral("NRINSJURVEN"), QStringLiteral("VRPECOMVEN"), QStringLiteral("VRPEMAXDESVE"), QStringLiteral("CDCOMISSAO"),
                QStringLiteral("IDGERACOMISVEND"), QStringLiteral("CDPRECOBASE"), QStringLiteral("IDVENDATIVO")},
               rows);
        insert(QStringLiteral("OPERVENDEDOR"), {QStringLiteral("CDOPERADOR"), QStringLiteral("CDVENDEDOR")},
               {{QStringLiteral("MARIA"), QStringLiteral("0002")}});
    }

    void transport()
    {
        insert(QStringLiteral("TIPOTRANSP"), {QStringLiteral("CDTIPTRANS"), QStringLiteral("NMTIPTRANS")},
               {{QStringLiteral("0001"), QStringLiteral("Rodoviário")}, {QStringLiteral("0002"), QStringLiteral("Aéreo")},
                {QStringLiteral("0003"), QStringLiteral("Frota própria")}, {QStringLiteral("0004"), QStringLiteral("Motofrete")}});
        struct CarrierDef { const char* legal; const char* trade; const char* kind; };
        const CarrierDef carriers[] = {
            {"Transportadora Rápido Paulista Ltda", "Rápido Paulista", "0001"},
            {"Expresso Serra Azul Transportes Ltda", "Serra Azul", "0001"},
            {"Aérea Cargas Express Ltda", "Cargas Express", "0002"},
            {"Translog Sul Logística Ltda", "Translog Sul", "0001"},
            {"Entregas Já Motofrete Ltda", "Entregas Já", "0004"},
        };
        QList<QVariantList> rows;
        for (const CarrierDef& carrier : carriers) {
            const QString cnpj = documentFor('J');
            m_carrierDocuments.append(cnpj);
            rows.append({QStringLiteral("J"), cnpj, QString::fromUtf8(carrier.trade), QString::fromUtf8(carrier.legal), carrier.kind});
        }
        // Own fleet: a carrier of document type "O" keeps a 5-character code.
        rows.append({QStringLiteral("O"), QStringLiteral("00001"), QStringLiteral("Frota Vale Verde"),
                     QStringLiteral("Vale Verde Distribuidora - frota própria"), QStringLiteral("0003")});
        insert(QStringLiteral("TRANSPORT"),
               {QStringLiteral("IDTPIJURTRAN"), QStringLiteral("NRINSJURTRAN"), QStringLiteral("NMFANTTRAN"),
                QStringLiteral("NMRAZSOCTRAN"), QStringLiteral("CDTIPTRANS")},
               rows);
        insert(QStringLiteral("ROTATRANS"), {QStringLiteral("CDROTATRANS"), QStringLiteral("NMROTATRANS")},
               {{QStringLiteral("000001"), QStringLiteral("Capital - Zona Sul")},
                {QStringLiteral("000002"), QStringLiteral("Capital - Zona Norte")},
                {QStringLiteral("000003"), QStringLiteral("Capital - Zonas Leste e Oeste")},
                {QStringLiteral("000004"), QStringLiteral("Campinas e região")},
                {QStringLiteral("000005"), QStringLiteral("Baixada Santista")},
                {QStringLiteral("000006"), QStringLiteral("Curitiba e região metropolitana")}});
    }

    // --- customers ------------------------------------------------------------

    static QString customerCode(int index) { return zeroPadded(index + 1, 6); }

    void customers()
    {
        QList<QVariantList> customerRows, addressRows, priceTableRows, carrierRows, routeRows, locationRows, commitmentRows;
        int customerCount = 0;
        for (const CustomerDef& def : customerDefs) {
            const int index = customerCount++;
            const QString code = customerCode(index);
            const City& city = cities[def.city];
            const bool company = def.documentType == 'J';
            const bool publicBody = def.customerType == 'O';
            const bool reseller = def.customerType == 'R';
            const QString seller = QLatin1String(sellerDefs[index % 6].code);
            const bool withCarrier = company && index % 4 == 1;
            const bool withLocations = index == 1 || index == 8 || index == 11 || index == 22;
            const bool keepsNote = index % 5 == 0;
            const QString note = keepsNote ? QStringLiteral("Receber somente em horário comercial (8h às 17h). Exigir assinatura do farmacêutico responsável.")
                                           : QString();
            const QString route = def.city == saoPaulo ? QStringLiteral("00000%1").arg(1 + index % 3)
                                  : def.city == campinas ? QStringLiteral("000004")
                                  : def.city == santos ? QStringLiteral("000005")
                                  : def.city == curitiba ? QStringLiteral("000006") : QString();
            const QString phoneArea = def.city == campinas ? QStringLiteral("19") : def.city == curitiba ? QStringLiteral("41")
                                      : def.city == santos ? QStringLiteral("13") : QStringLiteral("11");

            customerRows.append({
                code, QString(QChar(def.documentType)), documentFor(def.documentType),
                QString::fromUtf8(def.tradeName), QString::fromUtf8(def.legalName),
                company && !publicBody ? QVariant(zeroPadded(qlonglong(m_random.between(1e11, 9e11)), 12)) : QVariant(QStringLiteral("ISENTO")),
                QStringLiteral("(%1) %2-%3").arg(phoneArea, zeroPadded(3000 + m_random.below(2000), 4), zeroPadded(m_random.below(10000), 4)),
                index == inactiveCustomer ? QStringLiteral("N") : QStringLiteral("S"),
                index == blockedCustomer ? QStringLiteral("S") : QStringLiteral("N"),
                QString(QChar(def.customerType)), brazil, city.state, seller,
                publicBody ? QStringLiteral("003") : reseller ? QStringLiteral("001") : QStringLiteral("002"),
                publicBody ? 10.0 : reseller ? 8.0 : 5.0,
                reseller ? QVariant(1.5) : QVariant(),
                keepsNote ? QVariant(note) : QVariant(), keepsNote ? QStringLiteral("S") : QStringLiteral("N"),
                withCarrier ? QStringLiteral("1") : QStringLiteral("0"),
                QStringLiteral("01"), QStringLiteral("N"),
                withCarrier ? QVariant(QStringLiteral("J")) : QVariant(),
                withCarrier ? QVariant(m_carrierDocuments.at(index % m_carrierDocuments.size())) : QVariant(),
                withCarrier ? QVariant(QStringLiteral("P")) : QVariant(),
                withCarrier ? QVariant(QStringLiteral("0001")) : QVariant(),
                publicBody ? QStringLiteral("00002") : reseller ? QStringLiteral("00003") : QStringLiteral("00001"),
                publicBody ? QVariant(QStringLiteral("0000000004")) : reseller ? QVariant(QStringLiteral("0000000002")) : QVariant(),
                route.isEmpty() ? QVariant() : QVariant(route),
                withLocations ? QStringLiteral("S") : QStringLiteral("N"),
                at(-400 + index * 7),
            });

            addressRows.append({code, QStringLiteral("001"), QStringLiteral("P"), brazil, city.state, city.code,
                                QString::fromUtf8(def.street), QString::fromUtf8(def.district), postalCode(def.city)});
            if (company && index % 3 == 0)
                addressRows.append({code, QStringLiteral("002"), QStringLiteral("C"), brazil, city.state, city.code,
                                    QStringLiteral("Caixa Postal %1").arg(1000 + index), QString::fromUtf8(def.district), postalCode(def.city)});
            if (company && index % 4 == 0)
                addressRows.append({code, QStringLiteral("003"), QStringLiteral("T"), brazil, city.state, city.code,
                                    QStringLiteral("Rua do Almoxarifado, %1 - Galpão %2").arg(100 + index * 3).arg(1 + index % 4),
                                    QStringLiteral("Distrito Industrial"), postalCode(def.city)});

            if (publicBody) {
                priceTableRows.append({code, QStringLiteral("03"), QStringLiteral("S")});
                for (int n = 1; n <= 2; ++n)
                    commitmentRows.append({code, QStringLiteral("%1NE%2").arg(m_today.year()).arg(zeroPadded(index * 10 + n, 6)),
                                           QStringLiteral("Empenho %1 - aquisição de medicamentos e material hospitalar").arg(n),
                                           n == 1 ? 50000.0 : 12000.0, n == 1 ? 38750.40 : 12000.0, at(180)});
            } else if (reseller) {
                priceTableRows.append({code, QStringLiteral("02"), QStringLiteral("S")});
            } else if (company) {
                priceTableRows.append({code, QStringLiteral("01"), QStringLiteral("S")});
                priceTableRows.append({code, QStringLiteral("02"), QStringLiteral("N")});
                // Hospital Santa Clara also buys under its own contract table.
                if (index == 1)
                    priceTableRows.append({code, QStringLiteral("04"), QStringLiteral("N")});
            }
            if (withCarrier)
                carrierRows.append({code, QStringLiteral("J"), m_carrierDocuments.at(index % m_carrierDocuments.size())});
            if (!route.isEmpty()) {
                routeRows.append({code, route, QStringLiteral("S")});
                if (def.city == saoPaulo)
                    routeRows.append({code, QStringLiteral("000005"), QStringLiteral("N")});
            }
            if (withLocations) {
                const char* const places[] = {"Recebimento central", "Farmácia hospitalar", "Centro cirúrgico"};
                for (int n = 0; n < 3; ++n)
                    locationRows.append({code, n + 1, QString::fromUtf8(places[n]), QStringLiteral("T"), brazil, city.state, city.code,
                                         QStringLiteral("%1 - bloco %2").arg(QString::fromUtf8(def.street)).arg(QChar(u'A' + n)),
                                         QString::fromUtf8(def.district), postalCode(def.city),
                                         QString::fromUtf8(def.legalName) + QStringLiteral(" - ") + QString::fromUtf8(places[n])});
            }
        }
        insert(QStringLiteral("CLIENTE"),
               {QStringLiteral("CDCLIENTE"), QStringLiteral("IDTPIJURCLIE"), QStringLiteral("NRINSJURCLIE"), QStringLiteral("NMFANTCLIE"),
                QStringLiteral("NMRAZSOCCLIE"), QStringLiteral("NRINSESTCLIE"), QStringLiteral("NRTELECLIE"), QStringLiteral("IDCLIEATIV"),
                QStringLiteral("IDBLOQUEADO"), QStringLiteral("IDTIPOCLIE"), QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO"),
                QStringLiteral("CDVENDEDOR"), QStringLiteral("CDGRUPOFISC"), QStringLiteral("VRPEMAXDESCL"), QStringLiteral("VRDESCCOMISS"),
                QStringLiteral("DSOBSERVCLIE"), QStringLiteral("IDGRAVOBSCLIPED"), QStringLiteral("IDPGFRETTRANCLI"),
                QStringLiteral("CDTIPOOPERPED"), QStringLiteral("IDENDEMISCLI"), QStringLiteral("IDTPIJURTRAN"), QStringLiteral("NRINSJURTRAN"),
                QStringLiteral("IDPESQTRANSP"), QStringLiteral("CDTIPTRANS"), QStringLiteral("CDMODPGTO"), QStringLiteral("CDTIPODESC"),
                QStringLiteral("CDROTATRANS"), QStringLiteral("IDLOCALENTREGACLIE"), QStringLiteral("DTCADASTRO")},
               customerRows);
        insert(QStringLiteral("ENDECLIE"),
               {QStringLiteral("CDCLIENTE"), QStringLiteral("NRSEQEND"), QStringLiteral("IDTPENDECLIE"), QStringLiteral("CDPAIS"),
                QStringLiteral("SGESTADO"), QStringLiteral("CDMUNICIPIO"), QStringLiteral("DSENDECLIE"), QStringLiteral("NMBAIRCLIE"),
                QStringLiteral("NRCEPCLIE")},
               addressRows);
        insert(QStringLiteral("PRECOBASECLI"), {QStringLiteral("CDCLIENTE"), QStringLiteral("CDPRECOBASE"), QStringLiteral("IDPRBASEPRIN")},
               priceTableRows);
        insert(QStringLiteral("TRANSPCLIE"), {QStringLiteral("CDCLIENTE"), QStringLiteral("IDTPIJURTRAN"), QStringLiteral("NRINSJURTRAN")},
               carrierRows);
        insert(QStringLiteral("ROTACLIE"), {QStringLiteral("CDCLIENTE"), QStringLiteral("CDROTATRANS"), QStringLiteral("IDROTAPRINC")},
               routeRows);
        insert(QStringLiteral("LOCALENTRCLIE"),
               {QStringLiteral("CDCLIENTE"), QStringLiteral("NRLOCALENTRCLIENTE"), QStringLiteral("DSLOCALENTRCLIENTE"),
                QStringLiteral("IDTPENDECLIE"), QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO"), QStringLiteral("CDMUNICIPIO"),
                QStringLiteral("DSENDELOCALENTR"), QStringLiteral("NMBAIRLOCALENTR"), QStringLiteral("NRCEPLOCALENTR"),
                QStringLiteral("NMRAZSOCPED")},
               locationRows);
        insert(QStringLiteral("EMPENHO"),
               {QStringLiteral("CDCLIENTE"), QStringLiteral("NREMPENHO"), QStringLiteral("DSEMPENHO"), QStringLiteral("VREMPENHO"),
                QStringLiteral("VRSALDOEMP"), QStringLiteral("DTVALIEMP")},
               commitmentRows);
    }

    // --- products and prices --------------------------------------------------

    void products()
    {
        QList<QVariantList> makerRows;
        for (const auto& maker : makers)
            makerRows.append({maker[0], QString::fromUtf8(maker[1])});
        insert(QStringLiteral("FABRICANTE"), {QStringLiteral("CDFABRIC"), QStringLiteral("NMFABRIC")}, makerRows);

        int sequence = 0;
        auto nextCode = [&] { return zeroPadded(++sequence, 6); };
        int medicineIndex = 0;
        for (const MedicineDef& medicine : medicineDefs) {
            ++medicineIndex;
            const QString base = QString::fromUtf8(medicine.name) + QLatin1Char(' ') + QLatin1String(medicine.strength);
            const QString group = QStringLiteral("01") + zeroPadded(medicineIndex, 2);
            ProductRow blister;
            blister.code = nextCode();
            blister.userCode = group + QStringLiteral("001");
            blister.name = base + QStringLiteral(" bl c/10");
            blister.unit = QStringLiteral("BL");
            blister.stockProduct = blister.code;
            blister.price = medicine.blisterPrice;
            blister.grossWeight = 0.02;
            blister.maker = medicine.maker;
            blister.controlled = medicine.controlled;
            blister.ingredient = QString::fromUtf8(medicine.name);
            ProductRow box = blister;
            box.code = nextCode();
            box.userCode = group + QStringLiteral("002");
            box.name = base + QStringLiteral(" cx c/20");
            box.unit = QStringLiteral("CX");
            box.conversion = 2;
            box.price = RoundDec(medicine.blisterPrice * 2 * 0.97, 2);
            box.grossWeight = 0.05;
            box.isStockProduct = false;
            ProductRow hospital = box;
            hospital.code = nextCode();
            hospital.userCode = group + QStringLiteral("003");
            hospital.name = base + QStringLiteral(" cx hosp c/500");
            hospital.conversion = 50;
            hospital.price = RoundDec(medicine.blisterPrice * 50 * 0.8, 2);
            hospital.grossWeight = 1.1;
            m_products << blister << box << hospital;
        }
        int supplyIndex = 0;
        for (const SupplyDef& supply : supplyDefs) {
            ++supplyIndex;
            ProductRow row;
            row.code = nextCode();
            row.userCode = QStringLiteral("02") + zeroPadded(1 + supplyIndex / 10, 2) + zeroPadded(supplyIndex, 3);
            row.name = QString::fromUtf8(supply.name);
            row.unit = QLatin1String(supply.unit);
            row.stockProduct = row.code;
            row.price = supply.price;
            row.grossWeight = supply.grossWeightKg;
            row.maker = supply.maker;
            m_products << row;
        }

        QList<QVariantList> rows;
        for (const ProductRow& product : m_products) {
            const bool medicine = product.userCode.startsWith(QLatin1String("01"));
            rows.append({product.code, product.userCode, product.name, product.unit, product.stockProduct, product.conversion,
                         product.isStockProduct ? QVariant(product.grossWeight) : QVariant(),
                         product.grossWeight, RoundDec(product.grossWeight * 0.9, 5),
                         ean13(QStringLiteral("789") + zeroPadded(104000000 + product.code.toInt() * 37, 9)),
                         product.unit == QLatin1String("UN") ? 10.0 : 1.0,
                         QStringLiteral("S"), QStringLiteral("S"), makers[product.maker][0],
                         medicine ? QVariant(product.ingredient) : QVariant(),
                         medicine ? QVariant(QStringLiteral("DCB %1").arg(zeroPadded(product.code.toInt() * 13 % 10000, 5))) : QVariant(),
                         product.controlled ? QStringLiteral("02") : QStringLiteral("01"),
                         product.name.startsWith(QLatin1String("Soro")) ? QVariant(QStringLiteral("01")) : QVariant(),
                         unitCost(product), 25.0});
        }
        insert(QStringLiteral("PRODUTO"),
               {QStringLiteral("CDPRODUTO"), QStringLiteral("CDARVPROD"), QStringLiteral("NMPRODUTO"), QStringLiteral("SGUNIDADE"),
                QStringLiteral("CDPRODESTO"), QStringLiteral("VRFATOCONV"), QStringLiteral("VRPESOUNID"), QStringLiteral("VRPESOBRUTPR"),
                QStringLiteral("VRPESOLIQUPR"), QStringLiteral("CDPRODINTE"), QStringLiteral("QTVOLUMES"), QStringLiteral("IDCTRLESTOQUE"),
                QStringLiteral("IDPRODATIVO"), QStringLiteral("CDFABRIC"), QStringLiteral("NMPRINATIV"), QStringLiteral("DSREFBIBPROD"),
                QStringLiteral("CDGRUPOCONTPPROD"), QStringLiteral("CDGRUNRENTAVEL"), QStringLiteral("VRCUSTPROD"),
                QStringLiteral("VRPEFORMPREC")},
               rows);

        QList<QVariantList> deliveryHours;
        for (int i = 0; i < m_products.size(); i += 7)
            deliveryHours.append({QStringLiteral("0001"), m_products.at(i).code, i % 2 == 0 ? QStringLiteral("1400") : QStringLiteral("0900")});
        insert(QStringLiteral("PARAMPRODMRP"), {QStringLiteral("CDFILIAL"), QStringLiteral("CDPRODUTO"), QStringLiteral("HRENTRPROD")},
               deliveryHours);

        compositions();
    }

    const ProductRow& supply(int index) const { return m_products.at(int(std::size(medicineDefs)) * 3 + index); }

    void compositions()
    {
        insert(QStringLiteral("GRUPOCOMP"), {QStringLiteral("CDGRUPOCOMP"), QStringLiteral("NMGRUPOCOMP")},
               {{QStringLiteral("0001"), QStringLiteral("Materiais de curativo")}, {QStringLiteral("0002"), QStringLiteral("Soluções")},
                {QStringLiteral("0003"), QStringLiteral("Proteção")}});
        const QString simple = supply(kitSimples).code;
        const QString complete = supply(kitCompleto).code;
        struct Part { int supply; const char* group; double quantity; };
        const Part simpleParts[] = {{12, "0001", 2}, {14, "0001", 1}, {18, "0001", 1}, {36, "0002", 1}};
        const Part completeParts[] = {{12, "0001", 4}, {14, "0001", 2}, {17, "0001", 1}, {36, "0002", 2}, {1, "0003", 1}, {19, "0002", 1}};
        QList<QVariantList> standard, local, inputs;
        int seq = 0;
        for (const Part& part : simpleParts) {
            standard.append({simple, supply(part.supply).code, zeroPadded(++seq, 4), part.group, part.quantity, QStringLiteral("001")});
            inputs.append({QStringLiteral("0001"), simple, QStringLiteral("PROC000001"), supply(part.supply).code, part.quantity, 1.0,
                           QStringLiteral("N"), QStringLiteral("S")});
        }
        seq = 0;
        for (const Part& part : completeParts) {
            standard.append({complete, supply(part.supply).code, zeroPadded(++seq, 4), part.group, part.quantity, QStringLiteral("001")});
            inputs.append({QStringLiteral("0001"), complete, QStringLiteral("PROC000002"), supply(part.supply).code, part.quantity, 1.0,
                           QStringLiteral("N"), QStringLiteral("S")});
        }
        // Campinas assembles the simple kit with a larger gauze pack.
        local.append({QStringLiteral("0002"), simple, supply(13).code, QStringLiteral("0001"), QStringLiteral("0001"), 1.0, QStringLiteral("001")});
        local.append({QStringLiteral("0002"), simple, supply(14).code, QStringLiteral("0002"), QStringLiteral("0001"), 1.0, QStringLiteral("001")});
        local.append({QStringLiteral("0002"), simple, supply(37).code, QStringLiteral("0003"), QStringLiteral("0002"), 1.0, QStringLiteral("001")});
        insert(QStringLiteral("COMPPRODUTO"),
               {QStringLiteral("CDPRODUTO"), QStringLiteral("CDPRODCOMP"), QStringLiteral("NRSEQPROD"), QStringLiteral("CDGRUPOCOMP"),
                QStringLiteral("QTITCOMPPROD"), QStringLiteral("CDFATPRECOMP")},
               standard);
        insert(QStringLiteral("COMPPRODFIL"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDPRODCOMP"), QStringLiteral("NRSEQPROD"),
                QStringLiteral("CDGRUPOCOMP"), QStringLiteral("QTITCOMPPROD"), QStringLiteral("CDFATPRECOMP")},
               local);
        insert(QStringLiteral("INSUMOPROC"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDPROCFABRIC"), QStringLiteral("CDPRODINSUMO"),
                QStringLiteral("QTINSUMETAPA"), QStringLiteral("QTRENDINSU"), QStringLiteral("IDSEMIACETAP"), QStringLiteral("IDPROCPADRAO")},
               inputs);
    }

    void prices()
    {
        insert(QStringLiteral("FATORPRECO"), {QStringLiteral("CDFATPRECO"), QStringLiteral("SGFATPRECO"), QStringLiteral("NMFATPRECO")},
               {{QStringLiteral("001"), QStringLiteral("UN"), QStringLiteral("Unidade de venda")},
                {QStringLiteral("002"), QStringLiteral("CX10"), QStringLiteral("Caixa com 10 unidades de venda")},
                {QStringLiteral("003"), QStringLiteral("ATAC"), QStringLiteral("Preço de atacado")}});

        const QDateTime validFrom = at(-365);
        const QDateTime validUntil = at(365, 23, 59);
        QList<QVariantList> tableRows, factorRows, maxDiscountRows, optionalRows;
        for (int i = 0; i < m_products.size(); ++i) {
            const ProductRow& product = m_products.at(i);
            const double price = product.price;
            tableRows.append({QStringLiteral("01"), product.code, QStringLiteral("N"), validFrom, validUntil, price, QStringLiteral("N")});
            tableRows.append({QStringLiteral("02"), product.code, QStringLiteral("N"), validFrom, validUntil, RoundDec(price * 0.92, 2), QStringLiteral("N")});
            // The government table leaves out the last products: "price not registered".
            if (i < m_products.size() - 5)
                tableRows.append({QStringLiteral("03"), product.code, QStringLiteral("N"), validFrom, validUntil, RoundDec(price * 0.85, 2), QStringLiteral("N")});
            if (i % 10 == 3)
                tableRows.append({QStringLiteral("01"), product.code, QStringLiteral("P"), at(-5), at(30, 23, 59), RoundDec(price * 0.9, 2), QStringLiteral("S")});
            if (i % 10 == 7)   // a promotion that ended yesterday: "price not in force"
                tableRows.append({QStringLiteral("01"), product.code, QStringLiteral("P"), at(-40), at(-1, 23, 59), RoundDec(price * 0.88, 2), QStringLiteral("S")});

            // The contract table: the first ten products in force (the first two
            // after an earlier window that ended), one whose contract ended last
            // month, one whose contract starts next month, none for the rest.
            if (i < 10) {
                tableRows.append({QStringLiteral("04"), product.code, QStringLiteral("N"), at(-20), QVariant(), RoundDec(price * 0.8, 2), QStringLiteral("N")});
                if (i < 2)
                    tableRows.append({QStringLiteral("04"), product.code, QStringLiteral("N"), at(-400), at(-21, 23, 59), RoundDec(price * 0.85, 2), QStringLiteral("N")});
            } else if (i == 10) {
                tableRows.append({QStringLiteral("04"), product.code, QStringLiteral("N"), at(-400), at(-31, 23, 59), RoundDec(price * 0.8, 2), QStringLiteral("N")});
            } else if (i == 11) {
                tableRows.append({QStringLiteral("04"), product.code, QStringLiteral("N"), at(35), QVariant(), RoundDec(price * 0.8, 2), QStringLiteral("N")});
            }

            factorRows.append({product.code, QStringLiteral("001"), price});
            factorRows.append({product.code, QStringLiteral("002"), RoundDec(price * 10 * 0.95, 2)});
            if (i % 3 == 0)
                factorRows.append({product.code, QStringLiteral("003"), RoundDec(price * 0.9, 2)});

            for (const char* table : {"01", "02"})
                for (const char* state : {"SP", "PR"})
                    maxDiscountRows.append({table, brazil, state, product.code, i % 5 == 0 ? 15.0 : 8.0});

            if (i % 6 == 0) {
                optionalRows.append({QStringLiteral("01"), product.code, QStringLiteral("001"), RoundDec(price * 0.95, 2), QStringLiteral("N")});
                optionalRows.append({QStringLiteral("01"), product.code, QStringLiteral("002"), RoundDec(price * 1.10, 2), QStringLiteral("S")});
            }
        }
        insert(QStringLiteral("ITEMPRECOBASE"),
               {QStringLiteral("CDPRECOBASE"), QStringLiteral("CDPRODUTO"), QStringLiteral("IDITPEDDIFER"), QStringLiteral("DTINIVALIPB"),
                QStringLiteral("DTFIMVALIPB"), QStringLiteral("VRITEPREBASE"), QStringLiteral("IDPRECOPROM")},
               tableRows);
        insert(QStringLiteral("PRODFATOR"), {QStringLiteral("CDPRODUTO"), QStringLiteral("CDFATPRECO"), QStringLiteral("VRFATPRECO")}, factorRows);
        insert(QStringLiteral("ITDESPREBASE"),
               {QStringLiteral("CDPRECOBASE"), QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO"), QStringLiteral("CDPRODUTO"),
                QStringLiteral("VRPEMAXDESPR")},
               maxDiscountRows);
        insert(QStringLiteral("PRECOOPCIONAL"),
               {QStringLiteral("CDPRECOBASE"), QStringLiteral("CDPRODUTO"), QStringLiteral("CDFATPRECO"), QStringLiteral("VROPCIOPRBASE"),
                QStringLiteral("IDPROPCIO")},
               optionalRows);

        QList<QVariantList> customerDiscounts;
        for (int customer : {0, 4, 9, 19}) {
            for (int product : {0, 3, 12, 60}) {
                customerDiscounts.append({customerCode(customer), m_products.at(product).code, 0.0, 99.0, 2.0});
                customerDiscounts.append({customerCode(customer), m_products.at(product).code, 100.0, 999.0, 5.0});
            }
        }
        insert(QStringLiteral("DESCPROPCLIE"),
               {QStringLiteral("CDCLIENTE"), QStringLiteral("CDPRODUTO"), QStringLiteral("QTINIDESC"), QStringLiteral("QTFINDESC"),
                QStringLiteral("VRPERDESC")},
               customerDiscounts);
    }

    void taxesAndProfitability()
    {
        insert(QStringLiteral("IMPOSTO"),
               {QStringLiteral("CDIMPOSTO"), QStringLiteral("SGIMPOSTO"), QStringLiteral("NMIMPOSTO"), QStringLiteral("IDTRATIMPO"),
                QStringLiteral("IDOBRIGATORIO")},
               {{QStringLiteral("01"), QStringLiteral("ICMS"), QStringLiteral("Imposto sobre Circulação de Mercadorias"), QStringLiteral("I"), QStringLiteral("S")},
                {QStringLiteral("02"), QStringLiteral("IPI"), QStringLiteral("Imposto sobre Produtos Industrializados"), QStringLiteral("A"), QStringLiteral("N")},
                {QStringLiteral("03"), QStringLiteral("PIS"), QStringLiteral("Programa de Integração Social"), QStringLiteral("I"), QStringLiteral("S")},
                {QStringLiteral("04"), QStringLiteral("COFINS"), QStringLiteral("COFINS - Financiamento da Seguridade"), QStringLiteral("I"), QStringLiteral("S")},
                {QStringLiteral("05"), QStringLiteral("ICMS ST"), QStringLiteral("ICMS por Substituição Tributária"), QStringLiteral("A"), QStringLiteral("N")}});
        QList<QVariantList> productTaxes;
        for (int i = 0; i < m_products.size(); ++i) {
            const ProductRow& product = m_products.at(i);
            const bool medicine = product.userCode.startsWith(QLatin1String("01"));
            productTaxes.append({product.code, QStringLiteral("01"), 18.0, 0.0, QStringLiteral("5102")});
            // The last supply has no PIS: a product missing a mandatory tax.
            if (i != m_products.size() - 1)
                productTaxes.append({product.code, QStringLiteral("03"), medicine ? 2.1 : 1.65, 0.0, QStringLiteral("5102")});
            productTaxes.append({product.code, QStringLiteral("04"), medicine ? 9.9 : 7.6, 0.0, QStringLiteral("5102")});
            if (!medicine)
                productTaxes.append({product.code, QStringLiteral("02"), 5.0, 0.0, QStringLiteral("5102")});
        }
        insert(QStringLiteral("PRODIMPOSTO"),
               {QStringLiteral("CDPRODUTO"), QStringLiteral("CDIMPOSTO"), QStringLiteral("VRALIQIMPOSTO"), QStringLiteral("VRPERREDBC"),
                QStringLiteral("CDFISCAL")},
               productTaxes);

        // Colour numbers are blue-green-red: 255 is red, 65280 green.
        insert(QStringLiteral("RENTABILIDADE"),
               {QStringLiteral("NRSEQRENT"), QStringLiteral("NMFAIXARENT"), QStringLiteral("VRPERCINIRENT"), QStringLiteral("VRPERCFIMRENT"),
                QStringLiteral("VRCORRENT")},
               {{QStringLiteral("1"), QStringLiteral("Prejuízo"), -1000.0, 0.0, 255.0},
                {QStringLiteral("2"), QStringLiteral("Margem crítica"), 0.0, 5.0, 42495.0},
                {QStringLiteral("3"), QStringLiteral("Margem baixa"), 5.0, 15.0, 65535.0},
                {QStringLiteral("4"), QStringLiteral("Margem adequada"), 15.0, 30.0, 9498256.0},
                {QStringLiteral("5"), QStringLiteral("Margem alta"), 30.0, 1000.0, 32768.0}});
        insert(QStringLiteral("ITFORPRECO"),
               {QStringLiteral("SGCOMPRENT"), QStringLiteral("NMITFORPRECO"), QStringLiteral("IDITFORPRECO"), QStringLiteral("VRPEFORMRENT"),
                QStringLiteral("NRORDEM")},
               {{QStringLiteral("IM"), QStringLiteral("Impostos sobre a venda"), QStringLiteral("P"), 18.0, 1},
                {QStringLiteral("CO"), QStringLiteral("Comissão do vendedor"), QStringLiteral("P"), 3.0, 2},
                {QStringLiteral("FR"), QStringLiteral("Frete de entrega"), QStringLiteral("P"), 2.5, 3},
                {QStringLiteral("DF"), QStringLiteral("Despesas financeiras"), QStringLiteral("P"), 1.5, 4},
                {QStringLiteral("DA"), QStringLiteral("Despesas administrativas"), QStringLiteral("P"), 4.0, 5}});
        insert(QStringLiteral("GRUNRENTAVEL"), {QStringLiteral("CDGRUNRENTAVEL"), QStringLiteral("NMGRUNRENTAVEL")},
               {{QStringLiteral("01"), QStringLiteral("Soluções parenterais (margem controlada)")}});
        QList<QVariantList> costs;
        for (const ProductRow& product : m_products) {
            for (const char* branch : {"0001", "0002"})
                costs.append({branch, product.code, QStringLiteral("01"), at(-30), unitCost(product)});
        }
        insert(QStringLiteral("HISTCUSTOPROD"),
               {QStringLiteral("CDFILIALHIST"), QStringLiteral("CDPRODUTOHIST"), QStringLiteral("NRTPCUSTORENT"), QStringLiteral("DTHISCUSTO"),
                QStringLiteral("VRHISCUSTOPROD")},
               costs);
    }

    void commercialTerms()
    {
        insert(QStringLiteral("CONDDESC"),
               {QStringLiteral("CDTIPODESC"), QStringLiteral("NMTIPODESC"), QStringLiteral("QTPRITPDESC"), QStringLiteral("QTSEGTPDESC"),
                QStringLiteral("QTTERTPDESC"), QStringLiteral("QTQUATPDESC"), QStringLiteral("QTQUITPDESC"), QStringLiteral("QTSEXTPDESC"),
                QStringLiteral("QTSETTPDESC"), QStringLiteral("QTOITTPDESC"), QStringLiteral("IDATIVO")},
               {{QStringLiteral("0000000001"), QStringLiteral("Sem desconto"), 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, QStringLiteral("S")},
                {QStringLiteral("0000000002"), QStringLiteral("Revenda 5%"), 5.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, QStringLiteral("S")},
                {QStringLiteral("0000000003"), QStringLiteral("Revenda 5% + 2%"), 5.0, 2.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, QStringLiteral("S")},
                {QStringLiteral("0000000004"), QStringLiteral("Órgão público 10%"), 10.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, QStringLiteral("S")},
                {QStringLiteral("0000000005"), QStringLiteral("Campanha em cascata"), 3.0, 2.0, 1.5, 1.0, 0.5, 0.5, 0.25, 0.25, QStringLiteral("S")},
                {QStringLiteral("0000000006"), QStringLiteral("Campanha encerrada"), 15.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, QStringLiteral("N")}});

        insert(QStringLiteral("TIPOOPERAC"),
               {QStringLiteral("CDTIPOOPER"), QStringLiteral("NMTIPOOPER"), QStringLiteral("IDENTRSAIDOP"), QStringLiteral("IDORIGDESTOP"),
                QStringLiteral("IDATUESTTPOP"), QStringLiteral("IDUTILOPER")},
               {{QStringLiteral("01"), QStringLiteral("Venda de mercadoria"), QStringLiteral("S"), QStringLiteral("C"), QVariant(), QStringLiteral("S")},
                {QStringLiteral("02"), QStringLiteral("Venda para entrega futura"), QStringLiteral("S"), QStringLiteral("C"), QStringLiteral("N"), QStringLiteral("S")},
                {QStringLiteral("03"), QStringLiteral("Transferência entre filiais"), QStringLiteral("S"), QStringLiteral("L"), QStringLiteral("S"), QStringLiteral("S")},
                {QStringLiteral("04"), QStringLiteral("Remessa para industrialização"), QStringLiteral("S"), QStringLiteral("F"), QStringLiteral("S"), QStringLiteral("S")},
                {QStringLiteral("05"), QStringLiteral("Bonificação"), QStringLiteral("S"), QStringLiteral("C"), QStringLiteral("S"), QStringLiteral("S")},
                {QStringLiteral("06"), QStringLiteral("Simples faturamento"), QStringLiteral("S"), QStringLiteral("F"), QStringLiteral("N"), QStringLiteral("S")},
                {QStringLiteral("07"), QStringLiteral("Compra para comercialização"), QStringLiteral("E"), QStringLiteral("F"), QStringLiteral("S"), QStringLiteral("S")},
                {QStringLiteral("08"), QStringLiteral("Venda consignada (desativada)"), QStringLiteral("S"), QStringLiteral("C"), QStringLiteral("S"), QStringLiteral("N")}});
        QList<QVariantList> perBranch;
        for (const char* branch : {"0001", "0002", "0003"}) {
            for (const char* type : {"01", "02", "03", "04", "05", "06", "07"}) {
                const bool blocked = (QLatin1String(branch) == QLatin1String("0002") && QLatin1String(type) == QLatin1String("04"))
                                     || (QLatin1String(branch) == QLatin1String("0003") && QLatin1String(type) == QLatin1String("06"));
                perBranch.append({branch, type, QLatin1String(type) == QLatin1String("07") ? QStringLiteral("E") : QStringLiteral("S"),
                                  blocked ? QStringLiteral("N") : QStringLiteral("S")});
            }
        }
        insert(QStringLiteral("TIPOOPERACFIL"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("CDTIPOOPER"), QStringLiteral("IDENTRSAIDOP"), QStringLiteral("IDLIBERADO")},
               perBranch);

        insert(QStringLiteral("FORMPGTO"), {QStringLiteral("CDFORMPGTO"), QStringLiteral("NMFORMPGTO")},
               {{QStringLiteral("01"), QStringLiteral("Dinheiro")}, {QStringLiteral("02"), QStringLiteral("Boleto bancário")},
                {QStringLiteral("03"), QStringLiteral("Cartão de crédito")}, {QStringLiteral("04"), QStringLiteral("Depósito em conta")},
                {QStringLiteral("05"), QStringLiteral("PIX")}});
        insert(QStringLiteral("MODPGTO"),
               {QStringLiteral("CDMODPGTO"), QStringLiteral("DSMODPGTO"), QStringLiteral("CDFORMPGTO"), QStringLiteral("IDTPFORPGTOMOD"),
                QStringLiteral("IDUTDIAPAGMOD"), QStringLiteral("NRPARCPGTOMOD"), QStringLiteral("NRDIAPGFIXMOD"), QStringLiteral("VRPEDESMODPG"),
                QStringLiteral("IDLANCPEDMOD")},
               {{QStringLiteral("00001"), QStringLiteral("À vista"), QStringLiteral("01"), QStringLiteral("X"), QStringLiteral("I"), 1.0, 0.0, 3.0, QStringLiteral("1")},
                {QStringLiteral("00002"), QStringLiteral("30 dias"), QStringLiteral("02"), QStringLiteral("V"), QStringLiteral("I"), 1.0, 0.0, 0.0, QStringLiteral("1")},
                {QStringLiteral("00003"), QStringLiteral("30/60/90 dias"), QStringLiteral("02"), QStringLiteral("V"), QStringLiteral("I"), 3.0, 0.0, 0.0, QStringLiteral("1")},
                {QStringLiteral("00004"), QStringLiteral("Dia fixo 10 - 3 parcelas"), QStringLiteral("02"), QStringLiteral("F"), QStringLiteral("E"), 3.0, 10.0, 0.0, QStringLiteral("1")},
                {QStringLiteral("00005"), QStringLiteral("Cartão de crédito em 2 vezes"), QStringLiteral("03"), QStringLiteral("V"), QStringLiteral("I"), 2.0, 0.0, 0.0, QStringLiteral("2")},
                {QStringLiteral("00006"), QStringLiteral("PIX antecipado"), QStringLiteral("05"), QStringLiteral("X"), QStringLiteral("I"), 1.0, 0.0, 2.0, QStringLiteral("2")}});
        insert(QStringLiteral("PRAZOMODPGTO"),
               {QStringLiteral("CDMODPGTO"), QStringLiteral("NRDIASMODPGTO"), QStringLiteral("VRPERCMODPGTO"), QStringLiteral("IDTPPERIODO")},
               {{QStringLiteral("00001"), 0.0, 100.0, QStringLiteral("D")}, {QStringLiteral("00002"), 30.0, 100.0, QStringLiteral("D")},
                {QStringLiteral("00003"), 30.0, 33.33, QStringLiteral("D")}, {QStringLiteral("00003"), 60.0, 33.33, QStringLiteral("D")},
                {QStringLiteral("00003"), 90.0, 33.34, QStringLiteral("D")}, {QStringLiteral("00005"), 30.0, 50.0, QStringLiteral("D")},
                {QStringLiteral("00005"), 60.0, 50.0, QStringLiteral("D")}, {QStringLiteral("00006"), 0.0, 100.0, QStringLiteral("D")}});

        QList<QVariantList> priceParameters;
        const std::pair<const char*, double> adjustments[] = {{"00001", -3.0}, {"00002", 0.0}, {"00003", 2.5}, {"00004", 1.5}, {"00005", 1.0}};
        for (const auto& [modality, percent] : adjustments)
            for (const char* table : {"01", "02"})
                priceParameters.append({QStringLiteral("0001"), modality, table, percent});
        insert(QStringLiteral("PARAMPRECO"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("CDMODPGTO"), QStringLiteral("CDPRECOBASE"), QStringLiteral("VRPEADPBASE")},
               priceParameters);

        insert(QStringLiteral("ENCARGO"), {QStringLiteral("CDENCARGO"), QStringLiteral("NMENCARGO"), QStringLiteral("IDTPENCARGO")},
               {{QStringLiteral("01"), QStringLiteral("Frete"), QStringLiteral("A")}, {QStringLiteral("02"), QStringLiteral("Seguro"), QStringLiteral("A")},
                {QStringLiteral("03"), QStringLiteral("Desconto financeiro"), QStringLiteral("D")},
                {QStringLiteral("04"), QStringLiteral("Despesas acessórias"), QStringLiteral("A")}});
    }

    // --- stock ----------------------------------------------------------------------

    void stock()
    {
        insert(QStringLiteral("ALMOXARIFADO"), {QStringLiteral("CDFILIAL"), QStringLiteral("CDALMOXARIFE"), QStringLiteral("DSALMOXARIFE")},
               {{QStringLiteral("0001"), QStringLiteral("000001"), QStringLiteral("Almoxarifado central")},
                {QStringLiteral("0001"), QStringLiteral("000002"), QStringLiteral("Almoxarifado de controlados")},
                {QStringLiteral("0002"), QStringLiteral("000001"), QStringLiteral("Depósito Campinas")},
                {QStringLiteral("0003"), QStringLiteral("000001"), QStringLiteral("Depósito Curitiba")}});
        insert(QStringLiteral("LOCALESTOQUE"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("CDALMOXARIFE"), QStringLiteral("CDLOCALESTOQ"), QStringLiteral("DSLOCALESTOQ")},
               {{QStringLiteral("0001"), QStringLiteral("000001"), QStringLiteral("A01"), QStringLiteral("Rua A, estante 01")},
                {QStringLiteral("0001"), QStringLiteral("000001"), QStringLiteral("A02"), QStringLiteral("Rua A, estante 02")},
                {QStringLiteral("0001"), QStringLiteral("000001"), QStringLiteral("B01"), QStringLiteral("Rua B, estante 01")},
                {QStringLiteral("0001"), QStringLiteral("000002"), QStringLiteral("C01"), QStringLiteral("Sala de controlados")},
                {QStringLiteral("0002"), QStringLiteral("000001"), QStringLiteral("A01"), QStringLiteral("Corredor 1")},
                {QStringLiteral("0002"), QStringLiteral("000001"), QStringLiteral("A02"), QStringLiteral("Corredor 2")},
                {QStringLiteral("0003"), QStringLiteral("000001"), QStringLiteral("A01"), QStringLiteral("Prateleira única")}});

        QList<QVariantList> lots, lotStock, totals;
        QHash<QString, double> totalByBranchProduct;
        int lotNumber = 0;
        for (int i = 0; i < m_products.size(); ++i) {
            const ProductRow& product = m_products.at(i);
            if (!product.isStockProduct || product.code == supply(outOfStockSupply).code)
                continue;
            const int lotCount = 1 + i % 3;
            for (int n = 0; n < lotCount; ++n) {
                const QString lot = QStringLiteral("L%1%2").arg(m_today.addMonths(-n * 4).toString(QStringLiteral("yyMM")))
                                        .arg(zeroPadded(++lotNumber, 4));
                const bool expired = i % 17 == 0 && n == lotCount - 1 && lotCount > 1;
                const bool quarantined = i % 23 == 5 && n == 0;
                lots.append({product.code, lot, QStringLiteral("0001"), makers[product.maker][0], at(-30 - n * 120),
                             expired ? at(-10) : at(540 - n * 90), quarantined ? QStringLiteral("N") : QStringLiteral("S")});
                const QString warehouse = product.controlled ? QStringLiteral("000002") : QStringLiteral("000001");
                const QString location = product.controlled ? QStringLiteral("C01") : (n % 2 == 0 ? QStringLiteral("A01") : QStringLiteral("B01"));
                const double mainQuantity = double(50 + (i * 37 + n * 11) % 400);
                lotStock.append({QStringLiteral("0001"), warehouse, location, product.code, lot, QStringLiteral("0001"), mainQuantity});
                totalByBranchProduct[QStringLiteral("0001|") + product.code] += mainQuantity;
                if (n == 0) {
                    const double campinasQuantity = double(20 + (i * 13) % 150);
                    lotStock.append({QStringLiteral("0002"), QStringLiteral("000001"), i % 2 ? QStringLiteral("A02") : QStringLiteral("A01"),
                                     product.code, lot, QStringLiteral("0001"), campinasQuantity});
                    totalByBranchProduct[QStringLiteral("0002|") + product.code] += campinasQuantity;
                }
                if (n == 0 && i % 4 == 0) {
                    lotStock.append({QStringLiteral("0003"), QStringLiteral("000001"), QStringLiteral("A01"), product.code, lot,
                                     QStringLiteral("0001"), 12.0});
                    totalByBranchProduct[QStringLiteral("0003|") + product.code] += 12.0;
                }
                if (n == 0)
                    m_firstLot.insert(product.code, {lot, warehouse, location});
            }
        }
        for (auto it = totalByBranchProduct.cbegin(); it != totalByBranchProduct.cend(); ++it) {
            const QStringList key = it.key().split(u'|');
            totals.append({key.at(0), key.at(1), it.value()});
        }
        std::sort(totals.begin(), totals.end(), [](const QVariantList& a, const QVariantList& b) {
            return a.at(0).toString() + a.at(1).toString() < b.at(0).toString() + b.at(1).toString();
        });
        insert(QStringLiteral("LOTE"),
               {QStringLiteral("CDPRODUTO"), QStringLiteral("NRLOTEESTQ"), QStringLiteral("NRSUBLOTE"), QStringLiteral("CDFABRIC"),
                QStringLiteral("DTENTRLOTE"), QStringLiteral("DTVALILOTE"), QStringLiteral("IDDISPCONPED")},
               lots);
        insert(QStringLiteral("ESTOQUELOTE"),
               {QStringLiteral("CDFILIAL"), QStringLiteral("CDALMOXARIFE"), QStringLiteral("CDLOCALESTOQ"), QStringLiteral("CDPRODUTO"),
                QStringLiteral("NRLOTEESTQ"), QStringLiteral("NRSUBLOTE"), QStringLiteral("QTTOTALESTOQ")},
               lotStock);
        insert(QStringLiteral("ESTOQUE"), {QStringLiteral("CDFILIAL"), QStringLiteral("CDPRODUTO"), QStringLiteral("QTESTOQUE")}, totals);
    }

    // --- parameters -------------------------------------------------------------------

    void parameters()
    {
        const QStringList columns = {
            QStringLiteral("CDFILIAL"), QStringLiteral("IDTPCOMPPROD"), QStringLiteral("IDPERALTPRECO"), QStringLiteral("CDMODPGTO"),
            QStringLiteral("DSMODPGTO"), QStringLiteral("CDVENDEDOR"), QStringLiteral("NMFANVEN"), QStringLiteral("IDTABPRECO"),
            QStringLiteral("IDUTRESELOTE"), QStringLiteral("IDLANCPED"), QStringLiteral("IDTESTAEST"), QStringLiteral("IDOBRINFTRAN"),
            QStringLiteral("NRDIASENTPED"), QStringLiteral("NRMAXITNFPED"), QStringLiteral("IDEXIBPEDIDO"), QStringLiteral("IDMENSVEND"),
            QStringLiteral("IDOBRTPOPPED"), QStringLiteral("IDUTVALIPED"), QStringLiteral("QTDIAVALIPED"), QStringLiteral("IDUTDESCMAXI"),
            QStringLiteral("IDEXCLPEDIDO"), QStringLiteral("CDTIPOOPER"), QStringLiteral("CDCLIENTE"), QStringLiteral("NMFANTCLIE"),
            QStringLiteral("IDTPIJURCLIE"), QStringLiteral("NRINSJURCLIE"), QStringLiteral("IDEXIBDADORC"), QStringLiteral("IDUTCTRELANP"),
            QStringLiteral("IDEXIBIMPITPED"), QStringLiteral("IDEXIBRENTPED"), QStringLiteral("IDEXIBPRINATIV"), QStringLiteral("IDLANENCARGOPED"),
            QStringLiteral("IDEXIBEPRAZOPED"), QStringLiteral("IDTIPOPEDINC"), QStringLiteral("IDALTFORMAPAG"), QStringLiteral("DSPERALTMAIOR"),
            QStringLiteral("DSPERALTMENOR"), QStringLiteral("CDGRUALTPRECO"), QStringLiteral("IDEXIBVENDCOM"), QStringLiteral("IDALTMODPAG"),
            QStringLiteral("IDOBRDIMENSAO"), QStringLiteral("IDALTPRECOPC"), QStringLiteral("IDDIMEVARDESC"), QStringLiteral("IDCALCPRECODIME"),
            QStringLiteral("IDUTDEPOSITO"), QStringLiteral("CDFILDEPOSITO"), QStringLiteral("CDGRUNRENTAVEL"), QStringLiteral("NRTPCUSTORENT"),
            QStringLiteral("IDCONFISPRODCLIE"), QStringLiteral("IDCONFISPRODFIL"), QStringLiteral("IDCONFISPRODTRA"), QStringLiteral("IDCALCPRECFAT"),
            QStringLiteral("IDUTFILIALDESTINO"), QStringLiteral("IDEXIBLOCALENTRCLI"), QStringLiteral("VRPECOMVEN"), QStringLiteral("CDPRECOBASE"),
            QStringLiteral("DSPRECOBASE"), QStringLiteral("IDUTENDEENTRPED"), QStringLiteral("IDCTRLESTQ"), QStringLiteral("IDCONSORCSALDEST"),
            QStringLiteral("VRMINPEDIDO"),
        };
        const QString S = QStringLiteral("S"), N = QStringLiteral("N");
        const QVariant none;
        const QString counterCustomer = customerCode(27);   // Ana Paula Ferreira: counter sales at Campinas
        // 0001: prices from price tables, lot reservation and stock tests on.
        const QVariantList saoPauloRow = {
            QStringLiteral("0001"), QStringLiteral("V"), S, QStringLiteral("00002"), QStringLiteral("30 dias"), none, none,
            QStringLiteral("1"), S, QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1"),
            QStringLiteral("3"), 50.0, QStringLiteral("1"), QStringLiteral("1"),
            S, S, 15.0, QStringLiteral("2"),
            S, QStringLiteral("01"), none, none,
            none, none, S, QStringLiteral("2"),
            S, S, S, S,
            S, QStringLiteral("1"), S, QStringLiteral("10"),
            QStringLiteral("5"), QStringLiteral("01"), S, S,
            N, N, N, N,
            N, none, QStringLiteral("01"), QStringLiteral("01"),
            N, N, N, N,
            QStringLiteral("SIM"), QStringLiteral("SIM"), none, QStringLiteral("01"),
            QStringLiteral("Tabela Varejo"), S, S, S,
            50.0,
        };
        // 0002: prices by price factor, no lot reservation, the logged seller fixed.
        const QVariantList campinasRow = {
            QStringLiteral("0002"), N, N, QStringLiteral("00001"), QStringLiteral("À vista"), QStringLiteral("0003"), QStringLiteral("João Martins"),
            QStringLiteral("2"), N, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2"),
            QStringLiteral("5"), 20.0, QStringLiteral("2"), QStringLiteral("2"),
            N, N, 0.0, QStringLiteral("3"),
            N, none, counterCustomer, QString::fromUtf8(customerDefs[27].tradeName),
            QStringLiteral("F"), none, N, QStringLiteral("1"),
            N, N, N, N,
            N, QStringLiteral("1"), N, QStringLiteral("0"),
            QStringLiteral("0"), none, N, N,
            N, N, N, N,
            N, none, none, QStringLiteral("01"),
            N, N, N, QStringLiteral("L"),
            QStringLiteral("NAO"), QStringLiteral("NAO"), 3.0, none,
            none, N, S, N,
            0.0,
        };
        insert(QStringLiteral("PARAMPEDIDO"), columns, {saoPauloRow, campinasRow});
        // The default customer's document is copied from the customer row.
        execSql(m_db, QStringLiteral("UPDATE PARAMPEDIDO SET NRINSJURCLIE = (SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = ?)"
                                     " WHERE CDFILIAL = '0002'"),
                {counterCustomer});

        insert(QStringLiteral("PARAMGERPED"), {QStringLiteral("CDEMPRESA"), QStringLiteral("IDUTTABPRECOITEM")}, {{QStringLiteral("01"), N}});
        insert(QStringLiteral("PAREXPEDICAO"), {QStringLiteral("CDFILIAL"), QStringLiteral("IDCTRLVENEXP"), QStringLiteral("IDGERPRODEST"),
                                                 QStringLiteral("IDCUSEXP")},
               {{QStringLiteral("0001"), N, S, QStringLiteral("01")}, {QStringLiteral("0002"), S, N, QStringLiteral("01")},
                {QStringLiteral("0003"), N, N, none}});
    }

    // --- orders -----------------------------------------------------------------------

    struct LotPlace {
        QString lot, warehouse, location;
    };

    void orders();
    void orderDetails(const OrderCatalog& catalog, const OrderPlan& plan, const WrittenOrder& written, int index);
    void paymentTerms(const OrderCatalog& catalog, const OrderPlan& plan, double total);
    void taxes(const OrderPlan& plan, const WrittenOrder& written);
    void invoice(const OrderPlan& plan, const WrittenOrder& written, bool futureDelivery);
    void specialOrders();
    void counters();
    const ProductRow& productByCode(const QString& code) const;

    QSqlDatabase& m_db;
    const QDate m_today = QDate::currentDate();
    DeterministicRandom m_random{20240917};
    QList<ProductRow> m_products;
    QStringList m_carrierDocuments;
    QHash<QString, LotPlace> m_firstLot;   // stock product -> its first lot at 0001
    QHash<QString, qlonglong> m_lastOrder;
    QList<QVariantList> m_notes, m_additionalData, m_terms, m_addresses, m_charges, m_extraSellers;
    QList<QVariantList> m_itemTaxes, m_orderTaxes, m_reservations, m_invoices, m_invoiceItems, m_invoiceLots, m_stockPostings;
    QList<QVariantList> m_itemCompositions;
    qlonglong m_reservationNumber = 0;
    QHash<QString, qlonglong> m_invoiceNumber;
};

// Orders of every status at both branches with parameters: two of three
// within the last ten days, the rest spread over the past year.
void DemoLoader::orders()
{
    const OrderCatalog catalog = OrderCatalog::load(m_db);
    OrderWriter writer(m_db, catalog);
    const QStringList statuses = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                  QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")};
    const std::pair<const char*, int> branches[] = {{"0001", 30}, {"0002", 18}};
    int index = 0;
    for (const auto& [branch, count] : branches) {
        for (int n = 0; n < count; ++n, ++index) {
            OrderPlan plan = randomOrderPlan(catalog, m_random, 6);
            plan.branch = QLatin1String(branch);
            plan.number = zeroPadded(++m_lastOrder[plan.branch], 10);
            plan.status = statuses.at(n % statuses.size());
            const int daysAgo = n % 3 != 2 ? (n * 7) % 10 : 20 + (n * 13) % 330;
            plan.orderDate = at(-daysAgo, 8 + n % 9, (n * 17) % 60);
            plan.deliveryDate = QDateTime(plan.orderDate.date().addDays(3 + n % 5), QTime(14, 0));
            plan.orderType = plan.status == QLatin1String("1") && n % 4 == 0 ? QStringLiteral("2") : QStringLiteral("1");
            plan.operatorCode = n % 5 == 4 ? QStringLiteral("MARIA") : QStringLiteral("DEMO");
            plan.purchaseOrder = n % 4 == 1 ? QStringLiteral("OC-%1").arg(zeroPadded(4100 + index, 6)) : QString();
            plan.origin = n == 5 ? QStringLiteral("2") : n == 11 ? QStringLiteral("9") : QStringLiteral("1");
            if (index == 3)   // a controlled medicine, with its patient record
                plan.items.first().product = clonazepam * 3 + 1;
            const WrittenOrder written = writer.write(plan);
            orderDetails(catalog, plan, written, index);
        }
    }
    writer.flush();

    const auto columns = [](std::initializer_list<const char*> names) {
        QStringList list;
        for (const char* name : names)
            list.append(QLatin1String(name));
        return list;
    };
    insert(QStringLiteral("OBSPEDIDO"), columns({"CDFILIAL", "NRPEDIDO", "TXOBSPED"}), m_notes);
    insert(QStringLiteral("DADOADICPED"), columns({"CDFILIAL", "NRPEDIDO", "NRDADOADICPED", "CDMENSAGEM", "DSDADOADICPED"}), m_additionalData);
    insert(QStringLiteral("PRAZOPGTOPED"),
           columns({"CDFILIAL", "NRPEDIDO", "NRDIASPGTOPED", "DTPEDIDO", "PREVISAO", "VRPERCPGTOPED", "DSPRAZOPGTOPED", "VRPARCELA"}), m_terms);
    insert(QStringLiteral("ENDEPEDIDO"),
           columns({"CDFILIAL", "NRPEDIDO", "NMRAZSOCPED", "DSENDEPED", "NRCEPPED", "NMPAISPED", "SGESTADOPED", "NMMUNIPED", "NMBAIRROPED",
                    "CDPAISPED", "NMESTADOPED", "CDMUNICIPIOPED", "CDCLIENTE", "IDTPENDECLIE", "NRSEQEND"}),
           m_addresses);
    insert(QStringLiteral("ENCARGOPED"), columns({"CDFILIAL", "NRPEDIDO", "CDENCARGO", "VRENCARGOPED", "VRPERCENTENC"}), m_charges);
    insert(QStringLiteral("VENDPEDIDO"), columns({"CDFILIAL", "NRPEDIDO", "CDVENDEDOR", "VRPECOMVEN"}), m_extraSellers);
    insert(QStringLiteral("ITEMPEDIMPOS"),
           columns({"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDIMPOSTO", "VRCONTIMPITPED", "VRPERREDBCITPED", "VRBASECALCITPED",
                    "VRPARCDEDITPED", "VRIMPOSTOITPED", "VRALIQITPED", "VRACREDESCITPED", "CDFISCALITPED"}),
           m_itemTaxes);
    insert(QStringLiteral("IMPOSPEDTOT"), columns({"CDFILIAL", "NRPEDIDO", "CDIMPOSTO", "VRTOTIMPPED", "VRTOTBCALCPED"}), m_orderTaxes);
    insert(QStringLiteral("RESPRODPED"),
           columns({"NRRESPRODPED", "CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODRES", "CDFILIALDEP", "CDALMOXARIFE", "CDLOCALESTOQ",
                    "NRLOTEESTQ", "NRSUBLOTE", "QTRESPRODPED", "QTRESPRODARR", "DTRESPRODPED"}),
           m_reservations);
    insert(QStringLiteral("NOTAFISCAL"),
           columns({"CDFILIEMIT", "NRLANCTONF", "NRNOTAFISCAL", "CDSERIE", "DTENTRSAID", "CDCLIENTE", "CDTIPOOPER", "VRTOTALNF",
                    "IDSITNF", "IDVENDAFUTURA", "CDFILIAL", "NRPEDIDO"}),
           m_invoices);
    insert(QStringLiteral("ITEMNOTAFISCAL"),
           columns({"CDFILIEMIT", "NRLANCTONF", "NRSEQITNF", "CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODUTO", "QTITEMNF", "VRUNITITNF",
                    "VRTOTALITNF"}),
           m_invoiceItems);
    insert(QStringLiteral("ITEMNFLOTE"),
           columns({"CDFILIEMIT", "NRLANCTONF", "NRSEQITNF", "CDFILIMOVI", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE",
                    "QTLOTEITNF"}),
           m_invoiceLots);
    insert(QStringLiteral("COMPITEMPED"),
           columns({"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODCOMPED", "NRSEQPROD", "CDGRUPOCOMP", "QTITCOMPPROD", "CDFATPRECOMP",
                    "VRPREUNICOMP", "VRPERCMARKUP", "VRTOTAL", "VRPESOPROD", "IDTPCOMPOSICAO"}),
           m_itemCompositions);
    insert(QStringLiteral("LANCESTOQUE"),
           columns({"CDFILIMOVIEST", "NRLANCESTQ", "NRSEQUITEM", "DTLANCESTQ", "IDENTRSAIDA", "CDPRODUTO", "CDALMOXARIFE", "CDLOCALESTOQ",
                    "NRLOTEESTQ", "NRSUBLOTE", "QTMOVIEST", "CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDFILIALORC", "NRORCAEVENTO"}),
           m_stockPostings);
    specialOrders();
}

const ProductRow& DemoLoader::productByCode(const QString& code) const
{
    return m_products.at(code.toInt() - 1);   // codes are the 1-based position
}

void DemoLoader::orderDetails(const OrderCatalog& catalog, const OrderPlan& plan, const WrittenOrder& written, int index)
{
    const QString& branch = plan.branch;
    const QString& number = plan.number;
    const CatalogCustomer& customer = catalog.customers.at(plan.customer);
    const CustomerDef& customerDef = customerDefs[customer.code.toInt() - 1];

    if (index % 3 == 0)
        m_notes.append({branch, number, QStringLiteral("Pedido recebido por telefone.\nConfirmar a disponibilidade de estoque antes "
                                                       "do faturamento e avisar o cliente sobre a data de entrega.")});
    bool controlled = false;
    for (const WrittenItem& item : written.items)
        controlled = controlled || productByCode(item.product).controlled;
    if (controlled)
        m_additionalData.append({branch, number, QStringLiteral("001"), QStringLiteral("001"),
                                 QStringLiteral("Produto sujeito a controle especial conforme Portaria SVS/MS 344/98.")});
    if (index % 6 == 2)
        m_additionalData.append({branch, number, QStringLiteral("002"), QVariant(),
                                 QStringLiteral("Entregar na doca 3, aos cuidados do setor de compras.")});

    paymentTerms(catalog, plan, written.total);

    if (index % 4 == 0) {
        const City& city = cities[customerDef.city];
        m_addresses.append({branch, number, QString::fromUtf8(customerDef.legalName), QString::fromUtf8(customerDef.street),
                            postalCode(customerDef.city), QStringLiteral("Brasil"), city.state, QString::fromUtf8(city.name),
                            QString::fromUtf8(customerDef.district), brazil, QVariant(), city.code, customer.code, QStringLiteral("P"),
                            QStringLiteral("001")});
    }
    if (branch == QLatin1String("0001") && index % 5 == 1)
        m_charges.append({branch, number, QStringLiteral("01"), 35.0, QVariant()});
    if (branch == QLatin1String("0001") && index % 10 == 6)
        m_charges.append({branch, number, QStringLiteral("02"), RoundDec(written.total * 0.005, 2), 0.5});
    if (index == 7 || index == 19)
        m_extraSellers.append({branch, number, QLatin1String(sellerDefs[(index + 3) % 8].code), 1.0});

    if (branch == QLatin1String("0001"))
        taxes(plan, written);

    const bool reservable = branch == QLatin1String("0001") && plan.orderType == QLatin1String("1")
                            && (plan.status == QLatin1String("1") || plan.status == QLatin1String("2"));
    for (const WrittenItem& item : written.items) {
        if (reservable && m_firstLot.contains(item.stockProduct)) {
            const LotPlace& place = m_firstLot.value(item.stockProduct);
            m_reservations.append({zeroPadded(++m_reservationNumber, 10), branch, number, item.number, item.stockProduct, branch,
                                   place.warehouse, place.location, place.lot, QStringLiteral("0001"), item.stockQuantity,
                                   item.stockQuantity, plan.orderDate});
        }
        const int supplyIndex = item.product.toInt() - 1 - int(std::size(medicineDefs)) * 3;
        if (supplyIndex == kitSimples || supplyIndex == kitCompleto) {
            QSqlQuery parts = execSql(m_db, QStringLiteral("SELECT C.CDPRODCOMP, C.NRSEQPROD, C.CDGRUPOCOMP, C.QTITCOMPPROD, C.CDFATPRECOMP,"
                                                           " P.VRPESOBRUTPR FROM COMPPRODUTO C INNER JOIN PRODUTO P ON P.CDPRODUTO = C.CDPRODCOMP"
                                                           " WHERE C.CDPRODUTO = ? ORDER BY C.NRSEQPROD"),
                                      {item.product});
            while (parts.next()) {
                const double unitPrice = productByCode(parts.value(0).toString()).price;
                const double quantity = parts.value(3).toDouble();
                m_itemCompositions.append({branch, number, item.number, parts.value(0), parts.value(1), parts.value(2), quantity,
                                           parts.value(4), unitPrice, 0.0, RoundDec(unitPrice * quantity, 2), parts.value(5).toDouble() * quantity,
                                           QStringLiteral("P")});
            }
        }
    }

    const bool shipped = plan.status == QLatin1String("3") || plan.status == QLatin1String("5") || plan.status == QLatin1String("6");
    if (shipped)
        invoice(plan, written, false);
    else if (branch == QLatin1String("0001") && index == 1)
        invoice(plan, written, true);
}

void DemoLoader::paymentTerms(const OrderCatalog& catalog, const OrderPlan& plan, double total)
{
    const CatalogModality& modality = catalog.modalities.at(plan.modality);
    QList<std::pair<double, double>> daysAndPercent;
    if (modality.paymentType == QLatin1String("F")) {
        // Fixed day of the following months.
        for (int n = 1; n <= int(modality.installments); ++n) {
            const QDate month = plan.orderDate.date().addMonths(n);
            const QDate due(month.year(), month.month(), int(modality.fixedDay));
            daysAndPercent.append({double(plan.orderDate.date().daysTo(due)), RoundDec(100.0 / modality.installments, 2)});
        }
    } else {
        QSqlQuery query = execSql(m_db, QStringLiteral("SELECT NRDIASMODPGTO, VRPERCMODPGTO FROM PRAZOMODPGTO WHERE CDMODPGTO = ?"
                                                       " ORDER BY NRDIASMODPGTO"),
                                  {modality.code});
        while (query.next())
            daysAndPercent.append({query.value(0).toDouble(), query.value(1).toDouble()});
    }
    QList<double> percentages;
    for (const auto& [days, percent] : daysAndPercent)
        percentages.append(percent);
    const QList<Cents> values = splitByPercentages(Cents::fromValue(total), percentages);
    for (int n = 0; n < daysAndPercent.size(); ++n) {
        const auto [days, percent] = daysAndPercent.at(n);
        const double value = values.at(n).value();
        m_terms.append({plan.branch, plan.number, days, plan.orderDate, plan.orderDate.addDays(qint64(days)), percent,
                        days == 0 ? QStringLiteral("À vista") : QStringLiteral("Parcela %1/%2").arg(n + 1).arg(daysAndPercent.size()),
                        value});
    }
}

void DemoLoader::taxes(const OrderPlan& plan, const WrittenOrder& written)
{
    struct Tax { const char* code; double rate; };
    QHash<QString, std::pair<double, double>> totals;   // tax -> (tax value, base)
    for (const WrittenItem& item : written.items) {
        if (item.status == QLatin1String("5"))
            continue;   // a cancelled item pays no tax
        const ProductRow& product = productByCode(item.product);
        const bool medicine = product.userCode.startsWith(QLatin1String("01"));
        const double base = RoundDec(item.unitPrice * item.quantity - item.discount, 2);
        QList<Tax> rates = {{"01", 18.0}, {"03", medicine ? 2.1 : 1.65}, {"04", medicine ? 9.9 : 7.6}};
        if (!medicine)
            rates.append({"02", 5.0});
        for (const Tax& tax : rates) {
            const double value = RoundDec(base * tax.rate / 100.0, 2);
            m_itemTaxes.append({plan.branch, plan.number, item.number, tax.code, base, 0.0, base, 0.0, value, tax.rate, 0.0,
                                QStringLiteral("5102")});
            auto& total = totals[QLatin1String(tax.code)];
            total.first += value;
            total.second += base;
        }
    }
    QStringList codes = totals.keys();
    codes.sort();
    for (const QString& code : codes)
        m_orderTaxes.append({plan.branch, plan.number, code, RoundDec(totals.value(code).first, 2), RoundDec(totals.value(code).second, 2)});
}

void DemoLoader::invoice(const OrderPlan& plan, const WrittenOrder& written, bool futureDelivery)
{
    const QString& branch = plan.branch;
    const QString posting = zeroPadded(++m_invoiceNumber[branch], 10);
    const QDateTime issued = futureDelivery ? plan.orderDate.addSecs(3600) : plan.deliveryDate.addDays(-1);
    double total = 0;
    int line = 0;
    for (const WrittenItem& item : written.items) {
        const double quantity = futureDelivery ? item.quantity : item.shippedQuantity;
        if (quantity <= 0)
            continue;
        const QString sequence = zeroPadded(++line, 4);
        const double value = RoundDec(item.unitPrice * quantity, 2);
        total += value;
        m_invoiceItems.append({branch, posting, sequence, branch, plan.number, item.number, item.product, quantity, item.unitPrice, value});
        if (futureDelivery || !m_firstLot.contains(item.stockProduct) || branch != QLatin1String("0001"))
            continue;
        const LotPlace& place = m_firstLot.value(item.stockProduct);
        const double stockQuantity = quantity * productByCode(item.product).conversion;
        m_invoiceLots.append({branch, posting, sequence, branch, place.warehouse, place.location, place.lot, QStringLiteral("0001"),
                              stockQuantity});
        m_stockPostings.append({branch, posting, sequence, issued, QStringLiteral("S"), item.stockProduct, place.warehouse, place.location,
                                place.lot, QStringLiteral("0001"), stockQuantity, branch, plan.number, item.number, QVariant(), QVariant()});
    }
    const QString invoiceNumber = zeroPadded(1000 + m_invoiceNumber.value(branch) * 3, 9);
    m_invoices.append({branch, posting, invoiceNumber, futureDelivery ? QStringLiteral("2") : QStringLiteral("1"), issued,
                       QVariant(), futureDelivery ? QStringLiteral("06") : QStringLiteral("01"),
                       RoundDec(total, 2), QStringLiteral("N"), futureDelivery ? QStringLiteral("S") : QStringLiteral("N"), branch, plan.number});
    if (futureDelivery)
        execSql(m_db, QStringLiteral("UPDATE PEDIDO SET DSNFVENDAFUTURA = ? WHERE CDFILIAL = ? AND NRPEDIDO = ?"),
                {branch + QLatin1Char('/') + invoiceNumber, branch, plan.number});
}

// A few orders with the less common traits the screens have to show.
void DemoLoader::specialOrders()
{
    execSql(m_db, QStringLiteral("UPDATE NOTAFISCAL SET CDCLIENTE = (SELECT P.CDCLIENTE FROM PEDIDO P"
                                 " WHERE P.CDFILIAL = NOTAFISCAL.CDFILIAL AND P.NRPEDIDO = NOTAFISCAL.NRPEDIDO)"));
    // Route and discount condition as the customer has them.
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET CDROTATRANSPED = (SELECT C.CDROTATRANS FROM CLIENTE C WHERE C.CDCLIENTE = PEDIDO.CDCLIENTE)"));
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET NMROTATRANS = (SELECT R.NMROTATRANS FROM ROTATRANS R WHERE R.CDROTATRANS = PEDIDO.CDROTATRANSPED)"));
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET CDTIPODESC = (SELECT C.CDTIPODESC FROM CLIENTE C WHERE C.CDCLIENTE = PEDIDO.CDCLIENTE)"
                                 " WHERE CDFILIAL = '0001'"));
    for (const char* column : {"NMTIPODESC", "QTPRITPDESC", "QTSEGTPDESC", "QTTERTPDESC", "QTQUATPDESC", "QTQUITPDESC", "QTSEXTPDESC",
                               "QTSETTPDESC", "QTOITTPDESC"})
        execSql(m_db, QStringLiteral("UPDATE PEDIDO SET %1 = (SELECT D.%1 FROM CONDDESC D WHERE D.CDTIPODESC = PEDIDO.CDTIPODESC)"
                                     " WHERE CDTIPODESC IS NOT NULL").arg(QLatin1String(column)));
    // Carriers on the orders of customers that have one.
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET IDTPIJURTRAN = (SELECT C.IDTPIJURTRAN FROM CLIENTE C WHERE C.CDCLIENTE = PEDIDO.CDCLIENTE),"
                                 " NRINSJURTRAN = (SELECT C.NRINSJURTRAN FROM CLIENTE C WHERE C.CDCLIENTE = PEDIDO.CDCLIENTE),"
                                 " CDTIPTRANS = (SELECT C.CDTIPTRANS FROM CLIENTE C WHERE C.CDCLIENTE = PEDIDO.CDCLIENTE),"
                                 " IDPESQTRANSP = 'P', IDPGFRETTRAN = '0'"
                                 " WHERE EXISTS (SELECT 1 FROM CLIENTE C WHERE C.CDCLIENTE = PEDIDO.CDCLIENTE AND C.NRINSJURTRAN IS NOT NULL)"));
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET NMFANTTRAN = (SELECT T.NMFANTTRAN FROM TRANSPORT T"
                                 " WHERE T.IDTPIJURTRAN = PEDIDO.IDTPIJURTRAN AND T.NRINSJURTRAN = PEDIDO.NRINSJURTRAN)"
                                 " WHERE NRINSJURTRAN IS NOT NULL"));

    // 0001/0000000004 holds a controlled medicine: its patient record.
    insert(QStringLiteral("DADOSPACPED"),
           {QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("NMPACIENTE"), QStringLiteral("IDCOMPRADOR"),
            QStringLiteral("DTNACISCPAC"), QStringLiteral("IDGENEROPAC"), QStringLiteral("IDCIDPACIENTE"), QStringLiteral("CDCLIENTE"),
            QStringLiteral("NRDOCCOMPRA"), QStringLiteral("IDTPDOCCOMPRA"), QStringLiteral("CDORGAOEXPE"), QStringLiteral("CDPAISCOMP"),
            QStringLiteral("SGESTADOCOMP"), QStringLiteral("NMPRESCRITOR"), QStringLiteral("NRREGISTROP"), QStringLiteral("IDTPCONSPRE"),
            QStringLiteral("CDPAISPRESC"), QStringLiteral("SGESTADOPRESC"), QStringLiteral("DTPRESCRICAO"), QStringLiteral("IDTIPORECEITA")},
           {{QStringLiteral("0001"), QStringLiteral("0000000004"), QStringLiteral("Antônio Carlos Ferreira"), QStringLiteral("N"),
             QDateTime(QDate(1956, 4, 12), QTime(0, 0)), QStringLiteral("M"), QStringLiteral("F41.1"),
             selectValue(m_db, QStringLiteral("SELECT CDCLIENTE FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000004'")),
             QStringLiteral("MG12345678"), QStringLiteral("1"), QStringLiteral("SSP"), brazil, QStringLiteral("MG"),
             QStringLiteral("Dra. Luciana Prado Mendes"), QStringLiteral("52611"), QStringLiteral("3"), brazil, QStringLiteral("SP"),
             at(-3), QStringLiteral("1")}});

    // 0001/0000000008 comes from an event quotation; a stock entry of that
    // quotation stops it from being deleted.
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET IDORIGPED = '4', CDFILIALORC = '0001', NRORCAEVENTO = '0000000012',"
                                 " NRSEQORCAEVE = '01', CDDEPTO = '002' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000008'"));
    insert(QStringLiteral("LANCESTOQUE"),
           {QStringLiteral("CDFILIMOVIEST"), QStringLiteral("NRLANCESTQ"), QStringLiteral("NRSEQUITEM"), QStringLiteral("DTLANCESTQ"),
            QStringLiteral("IDENTRSAIDA"), QStringLiteral("CDPRODUTO"), QStringLiteral("QTMOVIEST"), QStringLiteral("CDFILIALORC"),
            QStringLiteral("NRORCAEVENTO")},
           {{QStringLiteral("0001"), QStringLiteral("E000000001"), QStringLiteral("0001"), at(-2), QStringLiteral("E"),
             m_products.at(0).code, 10.0, QStringLiteral("0001"), QStringLiteral("0000000012")}});

    // 0001/0000000010 is an industry order whose first item has inputs
    // supplied by the customer.
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET IDPEDINDUSTRIA = 'S' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000010'"));
    execSql(m_db, QStringLiteral("UPDATE ITEMPEDIDO SET IDITEMPEDTERC = 'S'"
                                 " WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000010' AND NRITEMPED = '0000000001'"));
    insert(QStringLiteral("TERCITEMPED"),
           {QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("NRITEMPED"), QStringLiteral("CDPRODUTO"), QStringLiteral("QTPRODTERC")},
           {{QStringLiteral("0001"), QStringLiteral("0000000010"), QStringLiteral("0000000001"), supply(12).code, 20.0},
            {QStringLiteral("0001"), QStringLiteral("0000000010"), QStringLiteral("0000000001"), supply(18).code, 5.0}});

    // 0001/0000000006 arrived through the web site import.
    insert(QStringLiteral("HISTIMPPEDIDO"), {QStringLiteral("NRHISIMPITEEEEP"), QStringLiteral("DTIMPORTACAO"), QStringLiteral("DSARQUIVO")},
           {{QStringLiteral("0000000001"), at(-1, 7, 30), QStringLiteral("pedidos_site.xml")}});
    execSql(m_db, QStringLiteral("UPDATE ITEMPEDIDO SET NRHISIMPITEEEEP = '0000000001', IDITPEDSEMQTDIS = 'N'"
                                 " WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000006'"));
    execSql(m_db, QStringLiteral("UPDATE ITEMPEDIDO SET IDITPEDSEMQTDIS = 'S'"
                                 " WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000006' AND NRITEMPED = '0000000001'"));

    // 0001/0000000002 had its commission cancelled.
    execSql(m_db, QStringLiteral("UPDATE PEDIDO SET IDCANCCOMISPED = 'S' WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000002'"));
}

void DemoLoader::counters()
{
    insert(QStringLiteral("CONTADORPEDIDO"), {QStringLiteral("CDFILIAL"), QStringLiteral("NRULTPEDIDO")},
           {{QStringLiteral("0001"), m_lastOrder.value(QStringLiteral("0001"))},
            {QStringLiteral("0002"), m_lastOrder.value(QStringLiteral("0002"))},
            {QStringLiteral("0003"), 0}});
    insert(QStringLiteral("CONTADOR"), {QStringLiteral("NMCONTADOR"), QStringLiteral("NRULTIMO")},
           {{QStringLiteral("RESPRODPED"), m_reservationNumber},
            {QStringLiteral("HISTIMPPEDIDO"), 1},
            {QStringLiteral("LANCTONF.0001"), m_invoiceNumber.value(QStringLiteral("0001"))},
            {QStringLiteral("LANCTONF.0002"), m_invoiceNumber.value(QStringLiteral("0002"))},
            {QStringLiteral("LANCTONF.0003"), 0},
            {QStringLiteral("LANCESTQ.0001"), 1}});
}

} // namespace

void loadDemoData(QSqlDatabase& db)
{
    if (!db.tables().contains(QStringLiteral("EMPRESA"), Qt::CaseInsensitive))
        throw StoreError("The database has no schema yet: migrate it before loading demo data.");
    if (!isEmptyDatabase(db))
        throw StoreError("The database already holds a company: demo data is loaded only into an empty database.");
    if (!db.transaction())
        throw StoreError("Cannot start a transaction to load the demo data.");
    try {
        DemoLoader(db).load();
        if (!db.commit())
            throw StoreError("Cannot commit the demo data.");
    } catch (...) {
        db.rollback();
        throw;
    }
}
