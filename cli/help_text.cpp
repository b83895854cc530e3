#include "cli/help_text.h"

namespace kelvar::cli {

std::string_view helpText() {
    return "kelvar-cli：检查并修复 Ostra ERP 账套的单据号计数器（zrsystem..za_identity）\n"
           "\n"
           "用法：\n"
           "  kelvar-cli [--server 服务器] [--json] accounts\n"
           "  kelvar-cli [--server 服务器] [--json] check 数据库... | check --all\n"
           "  kelvar-cli [--server 服务器] [--json] repair 数据库\n"
           "  kelvar-cli --help | --version\n"
           "\n"
           "命令：\n"
           "  accounts   列出服务器上的账套数据库，每行一个。\n"
           "  check      只读检查：逐项对比已存的计数器与数据中的最大单据号，不写入任何内容。\n"
           "             --all 检查所有账套数据库。\n"
           "  repair     把该账套 18 种单据的计数器设为数据中的最大单据号，与窗口的“更新”相同。\n"
           "\n"
           "选项：\n"
           "  --server 服务器  与窗口的“服务器”框相同：(local)、主机、主机,端口 或 主机\\实例；\n"
           "                   默认 (local)。\n"
           "  --json           输出一个 UTF-8 JSON 文档。\n"
           "  -h, --help       显示本说明。\n"
           "  --version        显示版本。\n"
           "\n"
           "登录：以 sa 登录 zrsystem。密码取自环境变量 KELVAR_SA_PASSWORD；未设置时，若在终端上\n"
           "运行则提示输入（不回显）。不接受在命令行上给出密码。\n"
           "\n"
           "注意：repair 不使用事务，必须在没有人录入该账套单据的时候运行（例如下班以后）。在读取\n"
           "最大单据号与写入计数器之间保存的单据，之后会与新单据的单据号冲突。\n"
           "\n"
           "check "
           "的状态：一致；落后（单据号会重复）；超前（修复会调低）；缺少计数行（修复会插入）；\n"
           "跳过（表中没有单据，修复也不处理）；失败（附原因）。\n"
           "\n"
           "退出状态：0 全部一致或跳过（repair：全部写入或跳过）；1 有需要处理或失败的项；\n"
           "2 用法错误或没有密码；3 登录失败。\n";
}

}  // namespace kelvar::cli
