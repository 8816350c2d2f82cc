<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>窗口最前</source>
        <translation>窗口最前</translation>
    </message>
    <message>
        <source>选择串口</source>
        <translation>选择串口</translation>
    </message>
    <message>
        <source>串口：</source>
        <translation>串口：</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>bps</source>
        <translation>bps</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>19200</source>
        <translation>19200</translation>
    </message>
    <message>
        <source>38400</source>
        <translation>38400</translation>
    </message>
    <message>
        <source>57600</source>
        <translation>57600</translation>
    </message>
    <message>
        <source>115200</source>
        <translation>115200</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>打开串口</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;SimSun&apos;; font-size:9pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p style=&quot;-qt-paragraph-type:empty; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;br /&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;SimSun&apos;; font-size:9pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p style=&quot;-qt-paragraph-type:empty; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;br /&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>清零</source>
        <translation>清零</translation>
    </message>
    <message>
        <source>发送操作</source>
        <translation>发送操作</translation>
    </message>
    <message>
        <source>Tag Enable</source>
        <translation>Tag Enable</translation>
    </message>
    <message>
        <source>串口范围：</source>
        <translation>串口范围：</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>收发比较</source>
        <translation>收发比较</translation>
    </message>
    <message>
        <source>出错停发</source>
        <translation>出错停发</translation>
    </message>
    <message>
        <source>发送随机数  长度：</source>
        <translation>发送随机数  长度：</translation>
    </message>
    <message>
        <source>1234</source>
        <translation>1234</translation>
    </message>
    <message>
        <source>字节</source>
        <translation>字节</translation>
    </message>
    <message>
        <source>生成数据</source>
        <translation>生成数据</translation>
    </message>
    <message>
        <source>手动发送</source>
        <translation>手动发送</translation>
    </message>
    <message>
        <source>应答式发送</source>
        <translation>应答式发送</translation>
    </message>
    <message>
        <source>定时发送</source>
        <translation>定时发送</translation>
    </message>
    <message>
        <source>间隔</source>
        <translation>间隔</translation>
    </message>
    <message>
        <source>12345</source>
        <translation>12345</translation>
    </message>
    <message>
        <source>毫秒</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>数据显示</source>
        <translation>数据显示</translation>
    </message>
    <message>
        <source>显示发送</source>
        <translation>显示发送</translation>
    </message>
    <message>
        <source>显示接收</source>
        <translation>显示接收</translation>
    </message>
    <message>
        <source>换行</source>
        <translation>换行</translation>
    </message>
    <message>
        <source>曲线</source>
        <translation>曲线</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>选择文件</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>发</source>
        <translation>发</translation>
    </message>
    <message>
        <source>收</source>
        <translation>收</translation>
    </message>
    <message>
        <source>比较失败</source>
        <translation>比较失败</translation>
    </message>
    <message>
        <source>未应答</source>
        <translation>未应答</translation>
    </message>
    <message>
        <source>迟到应答</source>
        <translation>迟到应答</translation>
    </message>
    <message>
        <source>多余帧</source>
        <translation>多余帧</translation>
    </message>
    <message>
        <source>%1 个无法确定</source>
        <translation>%1 个无法确定</translation>
    </message>
    <message>
        <source>往返时延</source>
        <translation>往返时延</translation>
    </message>
    <message>
        <source>数据包内存申请失败</source>
        <translation>数据包内存申请失败</translation>
    </message>
    <message>
        <source>数据输入错误，请输入合法的十六进制数据</source>
        <translation>数据输入错误，请输入合法的十六进制数据</translation>
    </message>
    <message>
        <source>输入错误</source>
        <translation>输入错误</translation>
    </message>
    <message>
        <source>请输入正确的定时周期</source>
        <translation>请输入正确的定时周期</translation>
    </message>
    <message>
        <source>保存至文件</source>
        <translation>保存至文件</translation>
    </message>
    <message>
        <source>计时</source>
        <translation>计时</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>发送包数</source>
        <translation>发送包数</translation>
    </message>
    <message>
        <source>发送错误</source>
        <translation>发送错误</translation>
    </message>
    <message>
        <source>接收包数</source>
        <translation>接收包数</translation>
    </message>
    <message>
        <source>7D错误</source>
        <translation>7D错误</translation>
    </message>
    <message>
        <source>CRC错误</source>
        <translation>CRC错误</translation>
    </message>
    <message>
        <source>超长</source>
        <translation>超长</translation>
    </message>
    <message>
        <source>超短</source>
        <translation>超短</translation>
    </message>
    <message>
        <source>发送速率</source>
        <translation>发送速率</translation>
    </message>
    <message>
        <source>发送字节</source>
        <translation>发送字节</translation>
    </message>
    <message>
        <source>接收字节</source>
        <translation>接收字节</translation>
    </message>
    <message>
        <source>比较成功</source>
        <translation>比较成功</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>关闭串口</translation>
    </message>
    <message>
        <source>“%1”不是 00 到 FF 之间的十六进制字节</source>
        <translation>“%1”不是 00 到 FF 之间的十六进制字节</translation>
    </message>
    <message>
        <source>SID 下限</source>
        <translation>SID 下限</translation>
    </message>
    <message>
        <source>SID 上限</source>
        <translation>SID 上限</translation>
    </message>
    <message>
        <source>最短长度</source>
        <translation>最短长度</translation>
    </message>
    <message>
        <source>最长长度</source>
        <translation>最长长度</translation>
    </message>
    <message>
        <source>%1“%2”不是整数</source>
        <translation>%1“%2”不是整数</translation>
    </message>
    <message>
        <source>%1“%2”不在 %3 到 %4 之间</source>
        <translation>%1“%2”不在 %3 到 %4 之间</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>%1：串口打开失败！</source>
        <translation>%1：串口打开失败！</translation>
    </message>
    <message>
        <source>%1 正被其他程序占用</source>
        <translation>%1 正被其他程序占用</translation>
    </message>
    <message>
        <source>串口 %1 已断开：%2</source>
        <translation>串口 %1 已断开：%2</translation>
    </message>
    <message>
        <source>无法打开文件 %1：%2</source>
        <translation>无法打开文件 %1：%2</translation>
    </message>
    <message>
        <source>无法写入文件 %1：%2，已停止保存</source>
        <translation>无法写入文件 %1：%2，已停止保存</translation>
    </message>
    <message>
        <source>无法读取设置文件 %1：%2</source>
        <translation>无法读取设置文件 %1：%2</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>不是普通文件</translation>
    </message>
    <message>
        <source>无法保存设置文件 %1：%2</source>
        <translation>无法保存设置文件 %1：%2</translation>
    </message>
    <message>
        <source>未知原因</source>
        <translation>未知原因</translation>
    </message>
    <message>
        <source>满速发送</source>
        <translation>满速发送</translation>
    </message>
    <message>
        <source>停止满速发送</source>
        <translation>停止满速发送</translation>
    </message>
    <message>
        <source>误码测试</source>
        <translation>误码测试</translation>
    </message>
    <message>
        <source>停止误码测试</source>
        <translation>停止误码测试</translation>
    </message>
    <message>
        <source>发送线路字节</source>
        <translation>发送线路字节</translation>
    </message>
    <message>
        <source>线路利用率 发 %1 收 %2</source>
        <translation>线路利用率 发 %1 收 %2</translation>
    </message>
    <message>
        <source>无法保存设置</source>
        <translation>无法保存设置</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>数据位：</translation>
    </message>
    <message>
        <source>校验：</source>
        <translation>校验：</translation>
    </message>
    <message>
        <source>无</source>
        <translation>无</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>偶校验</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>奇校验</translation>
    </message>
    <message>
        <source>标记校验</source>
        <translation>标记校验</translation>
    </message>
    <message>
        <source>空格校验</source>
        <translation>空格校验</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>停止位：</translation>
    </message>
    <message>
        <source>流控：</source>
        <translation>流控：</translation>
    </message>
    <message>
        <source>UART 帧错误</source>
        <translation>UART 帧错误</translation>
    </message>
    <message>
        <source>UART 溢出</source>
        <translation>UART 溢出</translation>
    </message>
    <message>
        <source>UART 校验错误</source>
        <translation>UART 校验错误</translation>
    </message>
    <message>
        <source>UART 中断</source>
        <translation>UART 中断</translation>
    </message>
    <message>
        <source>UART 缓冲区溢出</source>
        <translation>UART 缓冲区溢出</translation>
    </message>
    <message>
        <source>串口 %1 已断开</source>
        <translation>串口 %1 已断开</translation>
    </message>
    <message>
        <source>数据位少于 8：帧会被截断</source>
        <translation>数据位少于 8：帧会被截断</translation>
    </message>
    <message>
        <source>XON/XOFF 流控：驱动吞掉 0x11 和 0x13 字节，二进制帧会丢失</source>
        <translation>XON/XOFF 流控：驱动吞掉 0x11 和 0x13 字节，二进制帧会丢失</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>数据位</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>停止位</translation>
    </message>
    <message>
        <source>流控</source>
        <translation>流控</translation>
    </message>
    <message>
        <source>串口未保持所选%1：%2，实为 %3</source>
        <translation>串口未保持所选%1：%2，实为 %3</translation>
    </message>
    <message>
        <source>CTS 关闭：设备暂停了接收</source>
        <translation>CTS 关闭：设备暂停了接收</translation>
    </message>
    <message>
        <source>未启用标签时最短长度为 0：会产生空包</source>
        <translation>未启用标签时最短长度为 0：会产生空包</translation>
    </message>
    <message>
        <source>未启用标签时载荷为空：每个包都是空的</source>
        <translation>未启用标签时载荷为空：每个包都是空的</translation>
    </message>
    <message>
        <source>定时周期 %1 ms 短于一帧在 %2 波特线路上的时间 %3 ms</source>
        <translation>定时周期 %1 ms 短于一帧在 %2 波特线路上的时间 %3 ms</translation>
    </message>
    <message>
        <source>线路利用率：串口未按 %1 波特限速</source>
        <translation>线路利用率：串口未按 %1 波特限速</translation>
    </message>
    <message>
        <source>往返时延 最小 %1 / 平均 %2 / 最大 %3 ms</source>
        <translation>往返时延 最小 %1 / 平均 %2 / 最大 %3 ms</translation>
    </message>
    <message>
        <source>清零前所发帧的应答</source>
        <translation>清零前所发帧的应答</translation>
    </message>
    <message>
        <source>载荷 %1 字节，只发送前 %2 字节</source>
        <translation>载荷 %1 字节，只发送前 %2 字节</translation>
    </message>
    <message>
        <source>往返时延百分位 p50 %1 / p90 %2 / p99 %3 / p99.9 %4 ms</source>
        <translation>往返时延百分位 p50 %1 / p90 %2 / p99 %3 / p99.9 %4 ms</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>警告：</source>
        <translation>警告：</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>保存文件</translation>
    </message>
    <message>
        <source>报告</source>
        <translation>报告</translation>
    </message>
    <message>
        <source>图表</source>
        <translation>图表</translation>
    </message>
    <message>
        <source>JUnit 文件</source>
        <translation>JUnit 文件</translation>
    </message>
    <message>
        <source>设置文件</source>
        <translation>设置文件</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>无法把%1写到 %2：它就是%3 %4</source>
        <translation>无法把%1写到 %2：它就是%3 %4</translation>
    </message>
    <message>
        <source>无法把%1写到 %2：%3</source>
        <translation>无法把%1写到 %2：%3</translation>
    </message>
    <message>
        <source>没有可写的内容</source>
        <translation>没有可写的内容</translation>
    </message>
    <message>
        <source>没有列出串口 %1（已列出：%2）；可用 --port 添加路径</source>
        <translation>没有列出串口 %1（已列出：%2）；可用 --port 添加路径</translation>
    </message>
    <message>
        <source>误码测试 比特 %1 误码 %2 误码率 %3 (95% 上限 %4)</source>
        <translation>误码测试 比特 %1 误码 %2 误码率 %3 (95% 上限 %4)</translation>
    </message>
    <message>
        <source>失步</source>
        <translation>失步</translation>
    </message>
    <message>
        <source>误码测试需要 8 个数据位</source>
        <translation>误码测试需要 8 个数据位</translation>
    </message>
    <message>
        <source>要证明误码率 %1，还需 %2 比特，按实测速率约 %3 秒</source>
        <translation>要证明误码率 %1，还需 %2 比特，按实测速率约 %3 秒</translation>
    </message>
    <message>
        <source>%1：无法按 INI 格式读取</source>
        <translation>%1：无法按 INI 格式读取</translation>
    </message>
    <message>
        <source>%1 不是 %2 之一</source>
        <translation>%1 不是 %2 之一</translation>
    </message>
    <message>
        <source>%1：“%2”不是十六进制字节</source>
        <translation>%1：“%2”不是十六进制字节</translation>
    </message>
    <message>
        <source>%1 为空且标签未开启：每个包都会是空的</source>
        <translation>%1 为空且标签未开启：每个包都会是空的</translation>
    </message>
    <message>
        <source>%1 有 %2 字节，只发送前 %3 字节</source>
        <translation>%1 有 %2 字节，只发送前 %3 字节</translation>
    </message>
    <message>
        <source>%1 且标签未开启：包会是空的</source>
        <translation>%1 且标签未开启：包会是空的</translation>
    </message>
    <message>
        <source>%1 不是整数</source>
        <translation>%1 不是整数</translation>
    </message>
    <message>
        <source>%1 不在 %2..%3 之间</source>
        <translation>%1 不在 %2..%3 之间</translation>
    </message>
    <message>
        <source>%1 按 %2 使用</source>
        <translation>%1 按 %2 使用</translation>
    </message>
    <message>
        <source>%1：不是普通文件</source>
        <translation>%1：不是普通文件</translation>
    </message>
    <message>
        <source>%1：无法读取：%2</source>
        <translation>%1：无法读取：%2</translation>
    </message>
    <message>
        <source>%1 是指向 %2 的符号链接，而 %2 不存在：使用默认设置</source>
        <translation>%1 是指向 %2 的符号链接，而 %2 不存在：使用默认设置</translation>
    </message>
    <message>
        <source>抓包文件</source>
        <translation>抓包文件</translation>
    </message>
    <message>
        <source>抓包</source>
        <translation>抓包</translation>
    </message>
    <message>
        <source>每帧存为 pcapng 文件，供 Wireshark 打开</source>
        <translation>每帧存为 pcapng 文件，供 Wireshark 打开</translation>
    </message>
    <message>
        <source>%1；等待重连</source>
        <translation>%1；等待重连</translation>
    </message>
    <message>
        <source>串口 %1 已重新打开</source>
        <translation>串口 %1 已重新打开</translation>
    </message>
    <message>
        <source>串口已断开，等待重连：%1</source>
        <translation>串口已断开，等待重连：%1</translation>
    </message>
    <message>
        <source>断线 %1 次，共 %2 秒</source>
        <translation>断线 %1 次，共 %2 秒</translation>
    </message>
    <message>
        <source>串口 %1</source>
        <translation>串口 %1</translation>
    </message>
    <message>
        <source>合计：发送包数 = %1，接收包数 = %2，发送错误 = %3，帧错误 = %4，比较失败 = %5，未应答 = %6</source>
        <translation>合计：发送包数 = %1，接收包数 = %2，发送错误 = %3，帧错误 = %4，比较失败 = %5，未应答 = %6</translation>
    </message>
    <message>
        <source>合计：比特 = %1，误码 = %2，失步 = %3</source>
        <translation>合计：比特 = %1，误码 = %2，失步 = %3</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>自动重连</translation>
    </message>
    <message>
        <source>等待重连</source>
        <translation>等待重连</translation>
    </message>
    <message>
        <source>指标文件</source>
        <translation>指标文件</translation>
    </message>
    <message>
        <source>无法写入文件 %1：%2</source>
        <translation>无法写入文件 %1：%2</translation>
    </message>
</context>
<context>
    <name>RunChart</name>
    <message>
        <source>时间 (秒)</source>
        <translation>时间 (秒)</translation>
    </message>
    <message>
        <source>帧/秒</source>
        <translation>帧/秒</translation>
    </message>
    <message>
        <source>毫秒</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>正确接收</source>
        <translation>正确接收</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>时延 p50</source>
        <translation>时延 p50</translation>
    </message>
    <message>
        <source>时延 p99</source>
        <translation>时延 p99</translation>
    </message>
    <message>
        <source>断线</source>
        <translation>断线</translation>
    </message>
</context>
</TS>
