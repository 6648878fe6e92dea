// The thin libpq layer against a real PostgreSQL server: parameters of every kind survive the
// round trip, a pipeline is one transaction, and a connection that breaks says so and comes back.
#include <gtest/gtest.h>

#include "PgCluster.h"
#include "Postgres.h"

namespace server::test {
namespace {

using store::pg::Connection;
using store::pg::Params;
using store::pg::PgError;
using store::pg::Queued;

class PostgresTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        PgCluster* cluster = PgCluster::Shared(&why);
        if (cluster == nullptr) {
            GTEST_SKIP() << why;
        }
        m_db = std::make_unique<Connection>(cluster->NewDatabase());
        m_db->Exec("CREATE TABLE t(id BIGINT PRIMARY KEY, name TEXT, data BYTEA)");
        m_db->Prepare("put", "INSERT INTO t VALUES($1, $2, $3)");
        m_db->Prepare("count", "SELECT COUNT(*) FROM t");
    }

    std::unique_ptr<Connection> m_db;
};

TEST_F(PostgresTest, ParametersOfEveryKindComeBackAsTheyWent) {
    std::vector<unsigned char> bytes(256);
    for (int i = 0; i < 256; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
    }
    const std::string name = "甲'; DROP TABLE t; --";
    m_db->Run("put", Params().Int(INT64_MIN).Text(name).Bytes(bytes));
    m_db->Run("put", Params().Int(2).Null().Bytes({}));
    const auto rows = m_db->Query("SELECT id, name, data FROM t ORDER BY id");
    ASSERT_EQ(rows.Rows(), 2);
    EXPECT_EQ(rows.Int(0, 0), INT64_MIN);
    EXPECT_EQ(rows.Text(0, 1), name);
    EXPECT_EQ(rows.Bytes(0, 2), bytes);
    EXPECT_TRUE(rows.IsNull(1, 1));
    EXPECT_TRUE(rows.Bytes(1, 2).empty());
    EXPECT_EQ(m_db->Query("SELECT $1::bigint + 1", Params().Int(41)).Int(0, 0), 42);
}

TEST_F(PostgresTest, APipelineIsOneTransaction) {
    const auto put = [](int id) { return Queued{"put", Params().Int(id).Text("x").Null()}; };
    const auto results = m_db->Pipeline({{"BEGIN", {}, false}, put(1), put(2), {"COMMIT", {}, false}});
    EXPECT_EQ(results.size(), 4u);
    EXPECT_EQ(results[1].Affected(), 1);
    EXPECT_EQ(m_db->Run("count").Int(0, 0), 2);

    // A duplicate key in the middle: nothing of the transaction stays, and the connection goes on.
    try {
        m_db->Pipeline({{"BEGIN", {}, false}, put(3), put(1), put(4), {"COMMIT", {}, false}});
        FAIL() << "a duplicate key was taken";
    } catch (const PgError& error) {
        EXPECT_FALSE(error.ConnectionLost());
        EXPECT_EQ(error.SqlState(), "23505") << error.what();
    }
    EXPECT_EQ(m_db->Run("count").Int(0, 0), 2);
    m_db->Pipeline({{"BEGIN", {}, false}, put(3), {"COMMIT", {}, false}});
    EXPECT_EQ(m_db->Run("count").Int(0, 0), 3);
}

TEST_F(PostgresTest, ABrokenConnectionSaysSoAndComesBackPrepared) {
    Connection other(PgCluster::Shared()->NewDatabase());
    const std::int64_t pid = m_db->Query("SELECT pg_backend_pid()").Int(0, 0);
    other.Query("SELECT pg_terminate_backend($1)", Params().Int(pid));
    try {
        m_db->Run("count");
        FAIL() << "a terminated connection answered";
    } catch (const PgError& error) {
        EXPECT_TRUE(error.ConnectionLost()) << error.what();
    }
    EXPECT_TRUE(m_db->Broken());
    m_db->Reconnect();
    EXPECT_FALSE(m_db->Broken());
    EXPECT_EQ(m_db->Run("count").Int(0, 0), 0);
    EXPECT_THROW(Connection("postgresql://postgres@127.0.0.1:1/none"), PgError);
}

}  // namespace
}  // namespace server::test
