<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>English</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>窗口最前</source>
        <translation>Stay on top</translation>
    </message>
    <message>
        <source>选择串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>串口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud:</translation>
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
        <translation>Open port</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>Statistics</translation>
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
        <translation>Reset</translation>
    </message>
    <message>
        <source>发送操作</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>Tag Enable</source>
        <translation>Tag Enable</translation>
    </message>
    <message>
        <source>串口范围：</source>
        <translation>SID range:</translation>
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
        <translation>Compare replies</translation>
    </message>
    <message>
        <source>出错停发</source>
        <translation>Stop on error</translation>
    </message>
    <message>
        <source>发送随机数  长度：</source>
        <translation>Random data  Length:</translation>
    </message>
    <message>
        <source>1234</source>
        <translation>1234</translation>
    </message>
    <message>
        <source>字节</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>生成数据</source>
        <translation>Generate</translation>
    </message>
    <message>
        <source>手动发送</source>
        <translation>Send once</translation>
    </message>
    <message>
        <source>应答式发送</source>
        <translation>Send on reply</translation>
    </message>
    <message>
        <source>定时发送</source>
        <translation>Timed send</translation>
    </message>
    <message>
        <source>间隔</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>12345</source>
        <translation>12345</translation>
    </message>
    <message>
        <source>毫秒</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>数据显示</source>
        <translation>Traffic</translation>
    </message>
    <message>
        <source>显示发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>显示接收</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>换行</source>
        <translation>Wrap</translation>
    </message>
    <message>
        <source>曲线</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>选择文件</source>
        <translation>Choose file</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>发</source>
        <translation>TX</translation>
    </message>
    <message>
        <source>收</source>
        <translation>RX</translation>
    </message>
    <message>
        <source>比较失败</source>
        <translation>Compare failed</translation>
    </message>
    <message>
        <source>未应答</source>
        <translation>No reply</translation>
    </message>
    <message>
        <source>迟到应答</source>
        <translation>Late replies</translation>
    </message>
    <message>
        <source>多余帧</source>
        <translation>Unexpected frames</translation>
    </message>
    <message>
        <source>%1 个无法确定</source>
        <translation>%1 ambiguous</translation>
    </message>
    <message>
        <source>往返时延</source>
        <translation>Round trip</translation>
    </message>
    <message>
        <source>数据包内存申请失败</source>
        <translation>Out of memory for the packet</translation>
    </message>
    <message>
        <source>数据输入错误，请输入合法的十六进制数据</source>
        <translation>Invalid data: please enter hexadecimal bytes such as 0A 1B</translation>
    </message>
    <message>
        <source>输入错误</source>
        <translation>Input error</translation>
    </message>
    <message>
        <source>请输入正确的定时周期</source>
        <translation>Please enter a valid period in milliseconds</translation>
    </message>
    <message>
        <source>保存至文件</source>
        <translation>Saving to file</translation>
    </message>
    <message>
        <source>计时</source>
        <translation>Run time</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>发送包数</source>
        <translation>Packets sent</translation>
    </message>
    <message>
        <source>发送错误</source>
        <translation>Send errors</translation>
    </message>
    <message>
        <source>接收包数</source>
        <translation>Packets received</translation>
    </message>
    <message>
        <source>7D错误</source>
        <translation>7D errors</translation>
    </message>
    <message>
        <source>CRC错误</source>
        <translation>CRC errors</translation>
    </message>
    <message>
        <source>超长</source>
        <translation>Too long</translation>
    </message>
    <message>
        <source>超短</source>
        <translation>Too short</translation>
    </message>
    <message>
        <source>发送速率</source>
        <translation>Send rate</translation>
    </message>
    <message>
        <source>发送字节</source>
        <translation>Bytes sent</translation>
    </message>
    <message>
        <source>接收字节</source>
        <translation>Bytes received</translation>
    </message>
    <message>
        <source>比较成功</source>
        <translation>Compared OK</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>无法保存设置</source>
        <translation>Could not save the settings</translation>
    </message>
    <message>
        <source>停止应答式发送</source>
        <translation>Stop send on reply</translation>
    </message>
    <message>
        <source>停止定时发送</source>
        <translation>Stop timed send</translation>
    </message>
    <message>
        <source>满速发送</source>
        <translation>Full speed</translation>
    </message>
    <message>
        <source>停止满速发送</source>
        <translation>Stop full speed</translation>
    </message>
    <message>
        <source>误码测试</source>
        <translation>Bit error test</translation>
    </message>
    <message>
        <source>停止误码测试</source>
        <translation>Stop bit error test</translation>
    </message>
    <message>
        <source>在 Linux 上，用户须属于拥有该设备的用户组（通常为 dialout），加入后重新登录。</source>
        <translation>On Linux, the user must belong to the group that owns the device (usually dialout), then log in again.</translation>
    </message>
    <message>
        <source>发送线路字节</source>
        <translation>Line bytes sent</translation>
    </message>
    <message>
        <source>线路利用率 发 %1 收 %2</source>
        <translation>Line use: tx %1 rx %2</translation>
    </message>
    <message>
        <source>“%1”不是 00 到 FF 之间的十六进制字节</source>
        <translation>“%1” is not a hexadecimal byte from 00 to FF</translation>
    </message>
    <message>
        <source>SID 下限</source>
        <translation>lowest SID</translation>
    </message>
    <message>
        <source>SID 上限</source>
        <translation>highest SID</translation>
    </message>
    <message>
        <source>最短长度</source>
        <translation>shortest length</translation>
    </message>
    <message>
        <source>最长长度</source>
        <translation>longest length</translation>
    </message>
    <message>
        <source>%1“%2”不是整数</source>
        <translation>%1 “%2” is not a whole number</translation>
    </message>
    <message>
        <source>%1“%2”不在 %3 到 %4 之间</source>
        <translation>%1 “%2” is outside %3 to %4</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>baud rate</translation>
    </message>
    <message>
        <source>%1：串口打开失败！</source>
        <translation>%1: could not open the serial port!</translation>
    </message>
    <message>
        <source>%1 正被其他程序占用</source>
        <translation>%1 is in use by another program</translation>
    </message>
    <message>
        <source>串口 %1 已断开：%2</source>
        <translation>The serial port %1 was disconnected: %2</translation>
    </message>
    <message>
        <source>无法打开文件 %1：%2</source>
        <translation>Could not open the file %1: %2</translation>
    </message>
    <message>
        <source>无法写入文件 %1：%2，已停止保存</source>
        <translation>Could not write the file %1: %2; saving stopped</translation>
    </message>
    <message>
        <source>无法读取设置文件 %1：%2</source>
        <translation>Could not read the settings file %1: %2</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>无法保存设置文件 %1：%2</source>
        <translation>Could not save the settings file %1: %2</translation>
    </message>
    <message>
        <source>未知原因</source>
        <translation>reason unknown</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>校验：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>标记校验</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>空格校验</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>流控：</source>
        <translation>Flow control:</translation>
    </message>
    <message>
        <source>UART 帧错误</source>
        <translation>UART framing errors</translation>
    </message>
    <message>
        <source>UART 溢出</source>
        <translation>UART overruns</translation>
    </message>
    <message>
        <source>UART 校验错误</source>
        <translation>UART parity errors</translation>
    </message>
    <message>
        <source>UART 中断</source>
        <translation>UART breaks</translation>
    </message>
    <message>
        <source>UART 缓冲区溢出</source>
        <translation>UART buffer overruns</translation>
    </message>
    <message>
        <source>串口 %1 已断开</source>
        <translation>The serial port %1 was disconnected</translation>
    </message>
    <message>
        <source>数据位少于 8：帧会被截断</source>
        <translation>Fewer than 8 data bits: frames will be cut</translation>
    </message>
    <message>
        <source>XON/XOFF 流控：驱动吞掉 0x11 和 0x13 字节，二进制帧会丢失</source>
        <translation>XON/XOFF flow control: the drivers swallow every 0x11 and 0x13 byte, so binary frames will be lost</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>data bits</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>parity</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>stop bits</translation>
    </message>
    <message>
        <source>流控</source>
        <translation>flow control</translation>
    </message>
    <message>
        <source>串口未保持所选%1：%2，实为 %3</source>
        <translation>The port did not keep the %1 asked for: %2; it holds %3</translation>
    </message>
    <message>
        <source>CTS 关闭：设备暂停了接收</source>
        <translation>CTS is off: the device holds off what is sent</translation>
    </message>
    <message>
        <source>未启用标签时最短长度为 0：会产生空包</source>
        <translation>With the tag off, a shortest length of 0 gives empty packets</translation>
    </message>
    <message>
        <source>未启用标签时载荷为空：每个包都是空的</source>
        <translation>With the tag off the payload is empty: every packet would be empty</translation>
    </message>
    <message>
        <source>定时周期 %1 ms 短于一帧在 %2 波特线路上的时间 %3 ms</source>
        <translation>The period of %1 ms is shorter than a frame's time on a %2 baud line, %3 ms</translation>
    </message>
    <message>
        <source>线路利用率：串口未按 %1 波特限速</source>
        <translation>Line use: the port is not paced at %1 baud</translation>
    </message>
    <message>
        <source>往返时延 最小 %1 / 平均 %2 / 最大 %3 ms</source>
        <translation>Round trip: min %1 / mean %2 / max %3 ms</translation>
    </message>
    <message>
        <source>清零前所发帧的应答</source>
        <translation>Replies to frames sent before the clean start</translation>
    </message>
    <message>
        <source>载荷 %1 字节，只发送前 %2 字节</source>
        <translation>The payload holds %1 bytes; only the first %2 are sent</translation>
    </message>
    <message>
        <source>往返时延百分位 p50 %1 / p90 %2 / p99 %3 / p99.9 %4 ms</source>
        <translation>Round trip percentiles: p50 %1 / p90 %2 / p99 %3 / p99.9 %4 ms</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>警告：</source>
        <translation>warning: </translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>the capture</translation>
    </message>
    <message>
        <source>报告</source>
        <translation>the report</translation>
    </message>
    <message>
        <source>图表</source>
        <translation>the plot</translation>
    </message>
    <message>
        <source>JUnit 文件</source>
        <translation>the JUnit file</translation>
    </message>
    <message>
        <source>设置文件</source>
        <translation>the settings file</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>the port</translation>
    </message>
    <message>
        <source>无法把%1写到 %2：它就是%3 %4</source>
        <translation>cannot write %1 to %2: it is %3 %4</translation>
    </message>
    <message>
        <source>无法把%1写到 %2：%3</source>
        <translation>cannot write %1 to %2: %3</translation>
    </message>
    <message>
        <source>没有可写的内容</source>
        <translation>nothing to write</translation>
    </message>
    <message>
        <source>没有列出串口 %1（已列出：%2）；可用 --port 添加路径</source>
        <translation>no port '%1' is listed (listed: %2); add a path with --port</translation>
    </message>
    <message>
        <source>误码测试 比特 %1 误码 %2 误码率 %3 (95% 上限 %4)</source>
        <translation>Bit error test: bits %1, errors %2, ratio %3 (95% upper bound %4)</translation>
    </message>
    <message>
        <source>失步</source>
        <translation>Sync losses</translation>
    </message>
    <message>
        <source>误码测试需要 8 个数据位</source>
        <translation>The bit error test needs 8 data bits</translation>
    </message>
    <message>
        <source>要证明误码率 %1，还需 %2 比特，按实测速率约 %3 秒</source>
        <translation>To prove a bit error ratio of %1 takes %2 more bits, about %3 s more at the rate measured</translation>
    </message>
    <message>
        <source>%1：无法按 INI 格式读取</source>
        <translation>%1: cannot be read as INI</translation>
    </message>
    <message>
        <source>%1 不是 %2 之一</source>
        <translation>%1 is not one of %2</translation>
    </message>
    <message>
        <source>%1：“%2”不是十六进制字节</source>
        <translation>%1: '%2' is no byte in hexadecimal</translation>
    </message>
    <message>
        <source>%1 为空且标签未开启：每个包都会是空的</source>
        <translation>%1 is empty and the tag is off: every packet would be empty</translation>
    </message>
    <message>
        <source>%1 有 %2 字节，只发送前 %3 字节</source>
        <translation>%1 holds %2 bytes; the first %3 are sent</translation>
    </message>
    <message>
        <source>%1 且标签未开启：包会是空的</source>
        <translation>%1 and the tag off give empty packets</translation>
    </message>
    <message>
        <source>%1 不是整数</source>
        <translation>%1 is not a number</translation>
    </message>
    <message>
        <source>%1 不在 %2..%3 之间</source>
        <translation>%1 is outside %2..%3</translation>
    </message>
    <message>
        <source>%1 按 %2 使用</source>
        <translation>%1 is taken as %2</translation>
    </message>
    <message>
        <source>%1：不是普通文件</source>
        <translation>%1: not a regular file</translation>
    </message>
    <message>
        <source>%1：无法读取：%2</source>
        <translation>%1: cannot be read: %2</translation>
    </message>
    <message>
        <source>%1 是指向 %2 的符号链接，而 %2 不存在：使用默认设置</source>
        <translation>%1 is a symbolic link to %2, which does not exist: the defaults are used</translation>
    </message>
    <message>
        <source>抓包文件</source>
        <translation>the pcapng capture</translation>
    </message>
    <message>
        <source>抓包</source>
        <translation>pcap</translation>
    </message>
    <message>
        <source>每帧存为 pcapng 文件，供 Wireshark 打开</source>
        <translation>Every frame to a pcapng file, for Wireshark</translation>
    </message>
    <message>
        <source>%1；等待重连</source>
        <translation>%1; waiting to reopen</translation>
    </message>
    <message>
        <source>串口 %1 已重新打开</source>
        <translation>Port %1 is open again</translation>
    </message>
    <message>
        <source>串口已断开，等待重连：%1</source>
        <translation>Port lost, waiting to reopen: %1</translation>
    </message>
    <message>
        <source>断线 %1 次，共 %2 秒</source>
        <translation>Outages: %1, %2 s</translation>
    </message>
    <message>
        <source>串口 %1</source>
        <translation>Port %1</translation>
    </message>
    <message>
        <source>合计：发送包数 = %1，接收包数 = %2，发送错误 = %3，帧错误 = %4，比较失败 = %5，未应答 = %6</source>
        <translation>Total: packets sent = %1, packets received = %2, send errors = %3, framing errors = %4, compare failed = %5, no reply = %6</translation>
    </message>
    <message>
        <source>合计：比特 = %1，误码 = %2，失步 = %3</source>
        <translation>Total: bits = %1, bit errors = %2, sync losses = %3</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Reconnect</translation>
    </message>
    <message>
        <source>等待重连</source>
        <translation>Reopening…</translation>
    </message>
    <message>
        <source>指标文件</source>
        <translation>the metrics file</translation>
    </message>
    <message>
        <source>无法写入文件 %1：%2</source>
        <translation>Could not write the file %1: %2</translation>
    </message>
</context>
<context>
    <name>RunChart</name>
    <message>
        <source>时间 (秒)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>帧/秒</source>
        <translation>Frames/s</translation>
    </message>
    <message>
        <source>毫秒</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>正确接收</source>
        <translation>Received OK</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Errors</translation>
    </message>
    <message>
        <source>时延 p50</source>
        <translation>RTT p50</translation>
    </message>
    <message>
        <source>时延 p99</source>
        <translation>RTT p99</translation>
    </message>
    <message>
        <source>断线</source>
        <translation>Outage</translation>
    </message>
</context>
</TS>
