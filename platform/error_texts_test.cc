#include "platform/error_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/service_manager.h"

namespace quillon {
namespace {

TEST(ErrorTextsTest, OneTableServesTheSystemAndTheServiceManager) {
  EXPECT_STREQ(StandardErrorText(kErrorAccessDenied), "Access is denied.");
  EXPECT_STREQ(StandardErrorText(kErrorRpcServerUnavailable), "The RPC server is unavailable.");
  EXPECT_EQ(StandardErrorText(0x7FFFFFFF), nullptr);
  // The service manager's texts are the table's, word for word.
  for (const Status code : {kOk, kErrorNotFound, kErrorServiceExists, kErrorServiceDisabled,
                            kErrorTimeout, kErrorRpcServerUnavailable}) {
    ASSERT_NE(StandardErrorText(code), nullptr) << code;
    EXPECT_EQ(ServiceErrorText(code), StandardErrorText(code)) << code;
  }
}

TEST(ErrorTextsTest, ServiceManagerLeavesGeneralFailuresToItsOwnDetail) {
  // "Incorrect function." stands for "no better number"; the manager shows the system's
  // detail text instead, so it gets no standard text from ServiceErrorText.
  EXPECT_NE(StandardErrorText(kErrorInvalidFunction), nullptr);
  EXPECT_EQ(ServiceErrorText(kErrorInvalidFunction), "");
  EXPECT_EQ(ServiceErrorText(kErrorInvalidHandle), "");
  EXPECT_EQ(ServiceErrorText(0x7FFFFFFF), "");
}

}  // namespace
}  // namespace quillon
