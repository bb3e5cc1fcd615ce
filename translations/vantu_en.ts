<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Cause</name>
    <message>
        <source>%1；WAV 结果保留为 %2</source>
        <translation>%1; the WAV result stays at %2</translation>
    </message>
    <message>
        <source>%1 无法写入：%2</source>
        <translation>%1 could not be written: %2</translation>
    </message>
    <message>
        <source>%1 无法启动：%2</source>
        <translation>%1 could not be started: %2</translation>
    </message>
    <message>
        <source>%1 已取消</source>
        <translation>%1 was cancelled</translation>
    </message>
    <message>
        <source>%1 失败：%2 %3：%4</source>
        <translation>%1 failed: %2 %3: %4</translation>
    </message>
    <message>
        <source>%1 失败：%2 %3</source>
        <translation>%1 failed: %2 %3</translation>
    </message>
    <message>
        <source>ffmpeg %1，转换没有完成：%2</source>
        <translation>ffmpeg %1 without finishing the conversion: %2</translation>
    </message>
    <message>
        <source>ffmpeg %1，转换没有完成</source>
        <translation>ffmpeg %1 without finishing the conversion</translation>
    </message>
    <message>
        <source>以状态 %1 退出</source>
        <translation>exited with status %1</translation>
    </message>
    <message>
        <source>被信号 %1（%2）终止</source>
        <translation>was stopped by signal %1 (%2)</translation>
    </message>
    <message>
        <source>被信号 %1 终止</source>
        <translation>was stopped by signal %1</translation>
    </message>
    <message>
        <source>转换为 %1</source>
        <translation>the conversion to %1</translation>
    </message>
    <message>
        <source>程序所在的文件夹和 PATH 中都找不到 %1</source>
        <translation>%1 was not found beside the program or on PATH</translation>
    </message>
    <message>
        <source>文件 %1 已不存在或不是文件</source>
        <translation>the file %1 no longer exists or is not a file</translation>
    </message>
    <message>
        <source>输出文件夹 %1 无法写入</source>
        <translation>the output folder %1 cannot be written</translation>
    </message>
    <message>
        <source>临时文件夹 %1 无法写入</source>
        <translation>the temporary folder %1 cannot be written</translation>
    </message>
    <message>
        <source>“%1”不是输出格式</source>
        <translation>&apos;%1&apos; is not an output format</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>写入失败</source>
        <translation>the write failed</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件将超出文件大小的上限</source>
        <translation>the file would be larger than the file size limit allows</translation>
    </message>
    <message>
        <source>所在的文件夹已不存在</source>
        <translation>its folder no longer exists</translation>
    </message>
    <message>
        <source>所在的文件夹是一个文件，不是文件夹</source>
        <translation>its folder is a file, not a folder</translation>
    </message>
    <message>
        <source>该文件夹不允许写入</source>
        <translation>the folder may not be written to</translation>
    </message>
    <message>
        <source>磁盘是只读的</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>磁盘报告了错误</source>
        <translation>the disk reported an error</translation>
    </message>
</context>
<context>
    <name>CompressListContainerElement</name>
    <message>
        <source>list-element</source>
        <translation>list-element</translation>
    </message>
    <message>
        <source>list-row</source>
        <translation>list-row</translation>
    </message>
    <message>
        <source>♪</source>
        <translation>♪</translation>
    </message>
    <message>
        <source>file-icon</source>
        <translation>file-icon</translation>
    </message>
    <message>
        <source>文件名.mp3</source>
        <translation>file-name.mp3</translation>
    </message>
    <message>
        <source>file-name</source>
        <translation>file-name</translation>
    </message>
    <message>
        <source>0 MB</source>
        <translation>0 MB</translation>
    </message>
    <message>
        <source>file-meta</source>
        <translation>file-meta</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>00:00</source>
        <translation>00:00</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>badge-success</source>
        <translation>badge-success</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>badge-failed</source>
        <translation>badge-failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>small</source>
        <translation>small</translation>
    </message>
    <message>
        <source>⋯</source>
        <translation>⋯</translation>
    </message>
    <message>
        <source>more</source>
        <translation>more</translation>
    </message>
    <message>
        <source>更多</source>
        <translation>More</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>seek</source>
        <translation>seek</translation>
    </message>
    <message>
        <source>00:00 / 00:00</source>
        <translation>00:00 / 00:00</translation>
    </message>
    <message>
        <source>file-meta play-time</source>
        <translation>file-meta play-time</translation>
    </message>
</context>
<context>
    <name>CompressPopMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open output folder</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>ExtractListContainerElement</name>
    <message>
        <source>list-element</source>
        <translation>list-element</translation>
    </message>
    <message>
        <source>list-row</source>
        <translation>list-row</translation>
    </message>
    <message>
        <source>♪</source>
        <translation>♪</translation>
    </message>
    <message>
        <source>file-icon</source>
        <translation>file-icon</translation>
    </message>
    <message>
        <source>文件名.mp3</source>
        <translation>file-name.mp3</translation>
    </message>
    <message>
        <source>file-name</source>
        <translation>file-name</translation>
    </message>
    <message>
        <source>0 MB</source>
        <translation>0 MB</translation>
    </message>
    <message>
        <source>file-meta</source>
        <translation>file-meta</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>00:00</source>
        <translation>00:00</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>badge-success</source>
        <translation>badge-success</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>badge-failed</source>
        <translation>badge-failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>small</source>
        <translation>small</translation>
    </message>
    <message>
        <source>⋯</source>
        <translation>⋯</translation>
    </message>
    <message>
        <source>more</source>
        <translation>more</translation>
    </message>
    <message>
        <source>更多</source>
        <translation>More</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>seek</source>
        <translation>seek</translation>
    </message>
    <message>
        <source>00:00 / 00:00</source>
        <translation>00:00 / 00:00</translation>
    </message>
    <message>
        <source>file-meta play-time</source>
        <translation>file-meta play-time</translation>
    </message>
    <message>
        <source>人声</source>
        <translation>Vocals</translation>
    </message>
    <message>
        <source>在人声与伴奏之间切换</source>
        <translation>Switch between vocals and accompaniment</translation>
    </message>
    <message>
        <source>small stem</source>
        <translation>small stem</translation>
    </message>
</context>
<context>
    <name>ExtractPopMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open output folder</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>Feedback</name>
    <message>
        <source>意见反馈</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>window dialog</source>
        <translation>window dialog</translation>
    </message>
    <message>
        <source>dialog-caption</source>
        <translation>dialog-caption</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>caption-btn</source>
        <translation>caption-btn</translation>
    </message>
    <message>
        <source>问题描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>field-label</source>
        <translation>field-label</translation>
    </message>
    <message>
        <source>请描述您遇到的问题或建议</source>
        <translation>Describe the problem you ran into, or your suggestion</translation>
    </message>
    <message>
        <source>联系方式</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>联系方式 (邮箱/QQ/电话)</source>
        <translation>Contact (e-mail, QQ or phone)</translation>
    </message>
    <message>
        <source>error-tips</source>
        <translation>error-tips</translation>
    </message>
    <message>
        <source>帮助中心</source>
        <translation>Help Center</translation>
    </message>
    <message>
        <source>link</source>
        <translation>link</translation>
    </message>
    <message>
        <source>提交</source>
        <translation>Submit</translation>
    </message>
    <message>
        <source>primary</source>
        <translation>primary</translation>
    </message>
</context>
<context>
    <name>MainTaskMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>显示主界面</source>
        <translation>Show Main Window</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>意见反馈</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>检查更新</source>
        <translation>Check for Updates</translation>
    </message>
    <message>
        <source>menu-sep</source>
        <translation>menu-sep</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>VANTU人声分离</source>
        <translation>VANTU Voice Separate</translation>
    </message>
    <message>
        <source>window</source>
        <translation>window</translation>
    </message>
    <message>
        <source>main-caption</source>
        <translation>main-caption</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>caption-tool</source>
        <translation>caption-tool</translation>
    </message>
    <message>
        <source>反馈</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>caption-btn</source>
        <translation>caption-btn</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>sidebar</source>
        <translation>sidebar</translation>
    </message>
    <message>
        <source>工具箱</source>
        <translation>Toolbox</translation>
    </message>
    <message>
        <source>nav-section</source>
        <translation>nav-section</translation>
    </message>
    <message>
        <source>人声分离</source>
        <translation>Vocal Separation</translation>
    </message>
    <message>
        <source>nav</source>
        <translation>nav</translation>
    </message>
    <message>
        <source>音频变调</source>
        <translation>Change Pitch</translation>
    </message>
    <message>
        <source>音频变速</source>
        <translation>Change Tempo</translation>
    </message>
    <message>
        <source>静音去除</source>
        <translation>Remove Silence</translation>
    </message>
    <message>
        <source>音频压缩</source>
        <translation>Compress Audio</translation>
    </message>
    <message>
        <source>音频倒放</source>
        <translation>Reverse Audio</translation>
    </message>
    <message>
        <source>音频元数据</source>
        <translation>Audio Metadata</translation>
    </message>
    <message>
        <source>page</source>
        <translation>page</translation>
    </message>
    <message>
        <source>page-title</source>
        <translation>page-title</translation>
    </message>
    <message>
        <source>AI 智能分离人声与伴奏，一键提取纯净伴奏或清晰人声</source>
        <translation>AI separates the vocals from the accompaniment: a clean instrumental or clear vocals in one click</translation>
    </message>
    <message>
        <source>page-desc</source>
        <translation>page-desc</translation>
    </message>
    <message>
        <source>card</source>
        <translation>card</translation>
    </message>
    <message>
        <source>输出格式</source>
        <translation>Output format</translation>
    </message>
    <message>
        <source>option-label</source>
        <translation>option-label</translation>
    </message>
    <message>
        <source>mp3</source>
        <translation>mp3</translation>
    </message>
    <message>
        <source>wav</source>
        <translation>wav</translation>
    </message>
    <message>
        <source>flac</source>
        <translation>flac</translation>
    </message>
    <message>
        <source>aac</source>
        <translation>aac</translation>
    </message>
    <message>
        <source>m4a</source>
        <translation>m4a</translation>
    </message>
    <message>
        <source>ogg</source>
        <translation>ogg</translation>
    </message>
    <message>
        <source>提取类型</source>
        <translation>Extract</translation>
    </message>
    <message>
        <source>伴奏</source>
        <translation>Instrumental</translation>
    </message>
    <message>
        <source>人声</source>
        <translation>Vocals</translation>
    </message>
    <message>
        <source>添加文件</source>
        <translation>Add Files</translation>
    </message>
    <message>
        <source>primary add</source>
        <translation>primary add</translation>
    </message>
    <message>
        <source>任务列表</source>
        <translation>Task List</translation>
    </message>
    <message>
        <source>section-title</source>
        <translation>section-title</translation>
    </message>
    <message>
        <source>task-list</source>
        <translation>task-list</translation>
    </message>
    <message>
        <source>保持播放速度不变，升高或降低音调，最多 12 个半音</source>
        <translation>Raise or lower the pitch by up to 12 semitones, keeping the tempo</translation>
    </message>
    <message>
        <source>变调方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>升调</source>
        <translation>Raise</translation>
    </message>
    <message>
        <source>降调</source>
        <translation>Lower</translation>
    </message>
    <message>
        <source>变调幅度</source>
        <translation>Amount</translation>
    </message>
    <message>
        <source>1个半音</source>
        <translation>1 semitone</translation>
    </message>
    <message>
        <source>2个半音</source>
        <translation>2 semitones</translation>
    </message>
    <message>
        <source>3个半音</source>
        <translation>3 semitones</translation>
    </message>
    <message>
        <source>4个半音</source>
        <translation>4 semitones</translation>
    </message>
    <message>
        <source>5个半音</source>
        <translation>5 semitones</translation>
    </message>
    <message>
        <source>6个半音</source>
        <translation>6 semitones</translation>
    </message>
    <message>
        <source>7个半音</source>
        <translation>7 semitones</translation>
    </message>
    <message>
        <source>8个半音</source>
        <translation>8 semitones</translation>
    </message>
    <message>
        <source>9个半音</source>
        <translation>9 semitones</translation>
    </message>
    <message>
        <source>10个半音</source>
        <translation>10 semitones</translation>
    </message>
    <message>
        <source>11个半音</source>
        <translation>11 semitones</translation>
    </message>
    <message>
        <source>12个半音</source>
        <translation>12 semitones</translation>
    </message>
    <message>
        <source>保持音调不变，调整播放速度，范围 -50% 至 +100%</source>
        <translation>Change the tempo from -50% to +100%, keeping the pitch</translation>
    </message>
    <message>
        <source>播放速度</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>0%</source>
        <translation>0%</translation>
    </message>
    <message>
        <source>value-badge</source>
        <translation>value-badge</translation>
    </message>
    <message>
        <source>自动检测并剪除音频中的静音片段，让内容更紧凑</source>
        <translation>Find and cut out silent stretches to make the audio tighter</translation>
    </message>
    <message>
        <source>降低码率以减小文件体积，按需平衡音质与大小</source>
        <translation>Lower the bit rate for smaller files, balancing quality and size</translation>
    </message>
    <message>
        <source>压缩等级</source>
        <translation>Compression</translation>
    </message>
    <message>
        <source>segmented</source>
        <translation>segmented</translation>
    </message>
    <message>
        <source>高品质</source>
        <translation>High quality</translation>
    </message>
    <message>
        <source>segment</source>
        <translation>segment</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>高压缩</source>
        <translation>Small file</translation>
    </message>
    <message>
        <source>将音频从结尾到开头反向播放，轻松制作创意音效</source>
        <translation>Play the audio from its end to its start for creative sound effects</translation>
    </message>
    <message>
        <source>批量编辑专辑、艺术家、年份、流派与封面信息</source>
        <translation>Edit the album, artist, year, genre and cover of many files at once</translation>
    </message>
    <message>
        <source>封面</source>
        <translation>Cover</translation>
    </message>
    <message>
        <source>封面图片</source>
        <translation>Cover picture</translation>
    </message>
    <message>
        <source>选择封面</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>secondary</source>
        <translation>secondary</translation>
    </message>
    <message>
        <source>专辑</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>艺术家</source>
        <translation>Artist</translation>
    </message>
    <message>
        <source>年份</source>
        <translation>Year</translation>
    </message>
    <message>
        <source>流派</source>
        <translation>Genre</translation>
    </message>
    <message>
        <source>vsep</source>
        <translation>vsep</translation>
    </message>
    <message>
        <source>添加文件夹</source>
        <translation>Add Folder</translation>
    </message>
    <message>
        <source>add-folder</source>
        <translation>add-folder</translation>
    </message>
    <message>
        <source>list-note</source>
        <translation>list-note</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>window dialog</source>
        <translation>window dialog</translation>
    </message>
    <message>
        <source>dialog-caption</source>
        <translation>dialog-caption</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>caption-btn</source>
        <translation>caption-btn</translation>
    </message>
    <message>
        <source>msg-text</source>
        <translation>msg-text</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>secondary</source>
        <translation>secondary</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>primary</source>
        <translation>primary</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>已经有任务在处理中!</source>
        <translation>A task is already running!</translation>
    </message>
    <message>
        <source>升级失败</source>
        <translation>The upgrade failed</translation>
    </message>
    <message>
        <source>反馈内容不能为空!</source>
        <translation>Please describe the problem!</translation>
    </message>
    <message>
        <source>联系方式不能为空!</source>
        <translation>Please give a way to contact you!</translation>
    </message>
    <message>
        <source>网络错误!</source>
        <translation>Network error!</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>反馈信息已提交!</source>
        <translation>Thank you, your feedback has been sent!</translation>
    </message>
    <message>
        <source>发现新版本啦!</source>
        <translation>A new version is available!</translation>
    </message>
    <message>
        <source>没有发现新版本!</source>
        <translation>You have the latest version!</translation>
    </message>
</context>
<context>
    <name>MetadataListContainerElement</name>
    <message>
        <source>list-element</source>
        <translation>list-element</translation>
    </message>
    <message>
        <source>list-row</source>
        <translation>list-row</translation>
    </message>
    <message>
        <source>♪</source>
        <translation>♪</translation>
    </message>
    <message>
        <source>file-icon</source>
        <translation>file-icon</translation>
    </message>
    <message>
        <source>文件名.mp3</source>
        <translation>file-name.mp3</translation>
    </message>
    <message>
        <source>file-name</source>
        <translation>file-name</translation>
    </message>
    <message>
        <source>0 MB</source>
        <translation>0 MB</translation>
    </message>
    <message>
        <source>file-meta</source>
        <translation>file-meta</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>00:00</source>
        <translation>00:00</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>badge-success</source>
        <translation>badge-success</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>badge-failed</source>
        <translation>badge-failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>small</source>
        <translation>small</translation>
    </message>
    <message>
        <source>⋯</source>
        <translation>⋯</translation>
    </message>
    <message>
        <source>more</source>
        <translation>more</translation>
    </message>
    <message>
        <source>更多</source>
        <translation>More</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>seek</source>
        <translation>seek</translation>
    </message>
    <message>
        <source>00:00 / 00:00</source>
        <translation>00:00 / 00:00</translation>
    </message>
    <message>
        <source>file-meta play-time</source>
        <translation>file-meta play-time</translation>
    </message>
</context>
<context>
    <name>MetadataPopMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open output folder</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>PitchListContainerElement</name>
    <message>
        <source>list-element</source>
        <translation>list-element</translation>
    </message>
    <message>
        <source>list-row</source>
        <translation>list-row</translation>
    </message>
    <message>
        <source>♪</source>
        <translation>♪</translation>
    </message>
    <message>
        <source>file-icon</source>
        <translation>file-icon</translation>
    </message>
    <message>
        <source>文件名.mp3</source>
        <translation>file-name.mp3</translation>
    </message>
    <message>
        <source>file-name</source>
        <translation>file-name</translation>
    </message>
    <message>
        <source>0 MB</source>
        <translation>0 MB</translation>
    </message>
    <message>
        <source>file-meta</source>
        <translation>file-meta</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>00:00</source>
        <translation>00:00</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>badge-success</source>
        <translation>badge-success</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>badge-failed</source>
        <translation>badge-failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>small</source>
        <translation>small</translation>
    </message>
    <message>
        <source>⋯</source>
        <translation>⋯</translation>
    </message>
    <message>
        <source>more</source>
        <translation>more</translation>
    </message>
    <message>
        <source>更多</source>
        <translation>More</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>seek</source>
        <translation>seek</translation>
    </message>
    <message>
        <source>00:00 / 00:00</source>
        <translation>00:00 / 00:00</translation>
    </message>
    <message>
        <source>file-meta play-time</source>
        <translation>file-meta play-time</translation>
    </message>
</context>
<context>
    <name>PitchPopMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open output folder</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>PromptBox</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>window dialog prompt</source>
        <translation>window dialog prompt</translation>
    </message>
    <message>
        <source>msg-text compact</source>
        <translation>msg-text compact</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>primary compact</source>
        <translation>primary compact</translation>
    </message>
</context>
<context>
    <name>ReverseListContainerElement</name>
    <message>
        <source>list-element</source>
        <translation>list-element</translation>
    </message>
    <message>
        <source>list-row</source>
        <translation>list-row</translation>
    </message>
    <message>
        <source>♪</source>
        <translation>♪</translation>
    </message>
    <message>
        <source>file-icon</source>
        <translation>file-icon</translation>
    </message>
    <message>
        <source>文件名.mp3</source>
        <translation>file-name.mp3</translation>
    </message>
    <message>
        <source>file-name</source>
        <translation>file-name</translation>
    </message>
    <message>
        <source>0 MB</source>
        <translation>0 MB</translation>
    </message>
    <message>
        <source>file-meta</source>
        <translation>file-meta</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>00:00</source>
        <translation>00:00</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>badge-success</source>
        <translation>badge-success</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>badge-failed</source>
        <translation>badge-failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>small</source>
        <translation>small</translation>
    </message>
    <message>
        <source>⋯</source>
        <translation>⋯</translation>
    </message>
    <message>
        <source>more</source>
        <translation>more</translation>
    </message>
    <message>
        <source>更多</source>
        <translation>More</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>seek</source>
        <translation>seek</translation>
    </message>
    <message>
        <source>00:00 / 00:00</source>
        <translation>00:00 / 00:00</translation>
    </message>
    <message>
        <source>file-meta play-time</source>
        <translation>file-meta play-time</translation>
    </message>
</context>
<context>
    <name>ReversePopMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open output folder</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>Seting</name>
    <message>
        <source>系统设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>window dialog</source>
        <translation>window dialog</translation>
    </message>
    <message>
        <source>dialog-caption</source>
        <translation>dialog-caption</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>caption-btn</source>
        <translation>caption-btn</translation>
    </message>
    <message>
        <source>输出目录</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <source>field-label</source>
        <translation>field-label</translation>
    </message>
    <message>
        <source>更改目录</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>secondary</source>
        <translation>secondary</translation>
    </message>
    <message>
        <source>打开目录</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>处理完成的文件将保存到此目录</source>
        <translation>Finished files are saved in this folder</translation>
    </message>
    <message>
        <source>hint</source>
        <translation>hint</translation>
    </message>
    <message>
        <source>关闭主界面时</source>
        <translation>When closing the main window</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>最小化到托盘</source>
        <translation>Minimize to the tray</translation>
    </message>
</context>
<context>
    <name>SilenceListContainerElement</name>
    <message>
        <source>list-element</source>
        <translation>list-element</translation>
    </message>
    <message>
        <source>list-row</source>
        <translation>list-row</translation>
    </message>
    <message>
        <source>♪</source>
        <translation>♪</translation>
    </message>
    <message>
        <source>file-icon</source>
        <translation>file-icon</translation>
    </message>
    <message>
        <source>文件名.mp3</source>
        <translation>file-name.mp3</translation>
    </message>
    <message>
        <source>file-name</source>
        <translation>file-name</translation>
    </message>
    <message>
        <source>0 MB</source>
        <translation>0 MB</translation>
    </message>
    <message>
        <source>file-meta</source>
        <translation>file-meta</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>00:00</source>
        <translation>00:00</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>badge-success</source>
        <translation>badge-success</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>badge-failed</source>
        <translation>badge-failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>small</source>
        <translation>small</translation>
    </message>
    <message>
        <source>⋯</source>
        <translation>⋯</translation>
    </message>
    <message>
        <source>more</source>
        <translation>more</translation>
    </message>
    <message>
        <source>更多</source>
        <translation>More</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>seek</source>
        <translation>seek</translation>
    </message>
    <message>
        <source>00:00 / 00:00</source>
        <translation>00:00 / 00:00</translation>
    </message>
    <message>
        <source>file-meta play-time</source>
        <translation>file-meta play-time</translation>
    </message>
</context>
<context>
    <name>SilencePopMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open output folder</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>TempoListContainerElement</name>
    <message>
        <source>list-element</source>
        <translation>list-element</translation>
    </message>
    <message>
        <source>list-row</source>
        <translation>list-row</translation>
    </message>
    <message>
        <source>♪</source>
        <translation>♪</translation>
    </message>
    <message>
        <source>file-icon</source>
        <translation>file-icon</translation>
    </message>
    <message>
        <source>文件名.mp3</source>
        <translation>file-name.mp3</translation>
    </message>
    <message>
        <source>file-name</source>
        <translation>file-name</translation>
    </message>
    <message>
        <source>0 MB</source>
        <translation>0 MB</translation>
    </message>
    <message>
        <source>file-meta</source>
        <translation>file-meta</translation>
    </message>
    <message>
        <source>·</source>
        <translation>·</translation>
    </message>
    <message>
        <source>00:00</source>
        <translation>00:00</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>badge-success</source>
        <translation>badge-success</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>badge-failed</source>
        <translation>badge-failed</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>small</source>
        <translation>small</translation>
    </message>
    <message>
        <source>⋯</source>
        <translation>⋯</translation>
    </message>
    <message>
        <source>more</source>
        <translation>more</translation>
    </message>
    <message>
        <source>更多</source>
        <translation>More</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>seek</source>
        <translation>seek</translation>
    </message>
    <message>
        <source>00:00 / 00:00</source>
        <translation>00:00 / 00:00</translation>
    </message>
    <message>
        <source>file-meta play-time</source>
        <translation>file-meta play-time</translation>
    </message>
</context>
<context>
    <name>TempoPopMenu</name>
    <message>
        <source>popup</source>
        <translation>popup</translation>
    </message>
    <message>
        <source>menu-panel</source>
        <translation>menu-panel</translation>
    </message>
    <message>
        <source>打开输出目录</source>
        <translation>Open output folder</translation>
    </message>
    <message>
        <source>menu-item</source>
        <translation>menu-item</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>menu-item danger</source>
        <translation>menu-item danger</translation>
    </message>
</context>
<context>
    <name>download</name>
    <message>
        <source>升级下载</source>
        <translation>Downloading the Update</translation>
    </message>
    <message>
        <source>window dialog</source>
        <translation>window dialog</translation>
    </message>
    <message>
        <source>dialog-caption</source>
        <translation>dialog-caption</translation>
    </message>
    <message>
        <source>正在下载新版本，请稍候…</source>
        <translation>Downloading the new version, please wait…</translation>
    </message>
    <message>
        <source>field-label</source>
        <translation>field-label</translation>
    </message>
    <message>
        <source>0%</source>
        <translation>0%</translation>
    </message>
    <message>
        <source>download-percent</source>
        <translation>download-percent</translation>
    </message>
    <message>
        <source>progress</source>
        <translation>progress</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>secondary</source>
        <translation>secondary</translation>
    </message>
</context>
<context>
    <name>ui::BatchNotifier</name>
    <message>
        <source>%1 个任务已处理完毕：%2 个成功，%3 个失败</source>
        <translation>Tasks finished: %1 (%2 succeeded, %3 failed)</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>Show</translation>
    </message>
</context>
<context>
    <name>ui::CMainWnd</name>
    <message>
        <source>支持格式(%1)</source>
        <translation>Supported formats (%1)</translation>
    </message>
    <message>
        <source>VANTU人声分离</source>
        <translation>VANTU Voice Separate</translation>
    </message>
    <message>
        <source>已添加 %1 个文件，跳过 %2 个非媒体文件</source>
        <translation>Files added: %1; skipped as not audio or video: %2</translation>
    </message>
    <message>
        <source>已添加 %1 个文件</source>
        <translation>Files added: %1</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a Folder</translation>
    </message>
</context>
<context>
    <name>ui::ItemPlayer</name>
    <message>
        <source>人声</source>
        <translation>Vocals</translation>
    </message>
    <message>
        <source>伴奏</source>
        <translation>Instrumental</translation>
    </message>
</context>
<context>
    <name>ui::SetingDialog</name>
    <message>
        <source>选择保存目录</source>
        <translation>Choose the Output Folder</translation>
    </message>
    <message>
        <source>该目录没有写入权限!</source>
        <translation>This folder cannot be written to!</translation>
    </message>
</context>
</TS>
